// Writes what the build makes from the table of options (options.h):
//   zunova_make_option_docs man TEMPLATE OUTPUT [TRANSLATION.qm]
//     the man page: TEMPLATE with its line @ZUNOVA_OPTIONS@ replaced by the option list, in the
//     language of the translation where one is given
//   zunova_make_option_docs bash-completion OUTPUT
//     the bash completion script
//   zunova_make_option_docs names
//     every option shown, as typed, one option a line ("-h --help"), for the tests

#include "console/options.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>

namespace zunova::console {
namespace {

const QString kPlaceholder = QStringLiteral("@ZUNOVA_OPTIONS@");

// The option list: a tagged paragraph per option, its names and value, then its text.
QString manOptions() {
    QStringList items;
    for (const Option& option : options()) {
        if (option.hidden)
            continue;
        QString heading = u'*' + typedNames(option).join(QStringLiteral("*, *")) + u'*';
        if (option.value)
            heading += u' ' + translated(option.value);
        items << QStringLiteral(".TP\n") + roffText(heading) + u'\n' +
                     roffText(translated(option.manual ? option.manual : option.help));
    }
    return items.join(u'\n');
}

QString manPage(const QString& templateText) {
    QStringList lines = templateText.split(u'\n');
    if (lines.count(kPlaceholder) != 1)
        return {};
    lines[lines.indexOf(kPlaceholder)] = manOptions();
    return lines.join(u'\n');
}

QString singleQuoted(const QString& text) {
    return u'\'' + QString(text).replace(u'\'', QStringLiteral("'\\''")) + u'\'';
}

// A case arm's commands that complete a word as `completion` says, then return; each line
// indented by `indent` spaces.
QString completing(Completion completion, const char* words, const char* longName, int indent) {
    const QString wordList = singleQuoted(QString::fromUtf8(words ? words : ""));
    QStringList commands;
    switch (completion) {
    case Completion::Nothing:
        break;
    case Completion::File:
        commands << QStringLiteral("_filedir");
        if (words)
            commands << QStringLiteral("COMPREPLY+=($(compgen -W %1 -- \"$cur\"))").arg(wordList);
        break;
    case Completion::Words:
        commands << QStringLiteral("COMPREPLY=($(compgen -W %1 -- \"$cur\"))").arg(wordList);
        break;
    case Completion::Sheet:
    case Completion::Columns:
        commands << QStringLiteral("_zunova_ask \"$1\" %1").arg(QLatin1StringView(longName));
        break;
    }
    commands << QStringLiteral("return") << QStringLiteral(";;");
    const QString margin(indent, u' ');
    return margin + commands.join(u'\n' + margin) + u'\n';
}

const char* const kCompletionStart =
    R"bash(# bash completion for zunova                                 -*- shell-script -*-
# Made from the program's table of options (console/options.cpp) when it is built: change the
# table, not this file. Loaded by bash-completion when `zunova` is first completed.

# The values of the option $2 that the program itself reads from the list given with --csv
# (`zunova --complete OPTION`), offered where they begin with the word being completed. The
# program is given the other words of the line: the option and the word being completed are
# left out.
_zunova_ask()
{
    local program=$1 word i
    local -a line=()
    __expand_tilde_by_ref program
    for ((i = 1; i < ${#words[@]}; i++)); do
        ((i == cword - 1 || i == cword)) && continue
        word=${words[i]}
        __expand_tilde_by_ref word
        line+=("$word")
    done
    local value
    while IFS= read -r value; do
        [[ $value == "$cur"* ]] && COMPREPLY+=("$(printf %q "$value")")
    done < <("$program" --complete "$2" "${line[@]}" 2>/dev/null </dev/null)
}

_zunova()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
)bash";

QString bashCompletion() {
    QString script = QString::fromUtf8(kCompletionStart);
    QStringList typed;
    QString operands;
    for (const Option& option : options()) {
        if (option.hidden)
            continue;
        typed << typedNames(option);
        if (option.value)
            script += QStringLiteral("        %1)\n").arg(typedNames(option).join(" | ")) +
                      completing(option.completion, option.words, option.longName, 12);
        if (option.operands != Completion::Nothing)
            operands += QStringLiteral("            %1)\n").arg(typedNames(option).join(" | ")) +
                        completing(option.operands, nullptr, option.longName, 16);
    }
    script += QStringLiteral("    esac\n\n"
                             "    if [[ $cur == -* ]]; then\n"
                             "        COMPREPLY=($(compgen -W %1 -- \"$cur\"))\n"
                             "        return\n"
                             "    fi\n")
                  .arg(singleQuoted(typed.join(u' ')));
    if (!operands.isEmpty())
        script += QStringLiteral("\n    # Where one of these options is given, what the other "
                                 "arguments are.\n"
                                 "    local word\n"
                                 "    for word in \"${words[@]:1:cword-1}\"; do\n"
                                 "        case $word in\n") +
                  operands + QStringLiteral("        esac\n    done\n");
    return script + QStringLiteral("} &&\n    complete -F _zunova zunova\n\n# ex: filetype=sh\n");
}

// Every text of the table, translated, is markup that closes each font it opens: one that does
// not is refused rather than set in bold to the end of its paragraph.
bool markupIsWellFormed() {
    bool wellFormed = true;
    for (const Option& option : options()) {
        for (const char* text : {option.value, option.help, option.manual}) {
            if (text && !isWellFormed(translated(text))) {
                std::fprintf(stderr, "zunova_make_option_docs: --%s: a * or _ left open in: %s\n",
                             option.longName, qPrintable(translated(text)));
                wellFormed = false;
            }
        }
    }
    return wellFormed;
}

bool write(const QString& path, const QString& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text.toUtf8()) < 0 ||
        !file.flush()) {
        std::fprintf(stderr, "zunova_make_option_docs: %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    return true;
}

int makeManPage(const QStringList& arguments) {
    QTranslator translator;
    if (arguments.size() == 5 &&
        !(translator.load(arguments[4]) && QCoreApplication::installTranslator(&translator))) {
        std::fprintf(stderr, "zunova_make_option_docs: cannot load %s\n", qPrintable(arguments[4]));
        return 1;
    }
    QFile in(arguments[2]);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "zunova_make_option_docs: %s: %s\n", qPrintable(arguments[2]),
                     qPrintable(in.errorString()));
        return 1;
    }
    if (!markupIsWellFormed())
        return 1;
    const QString page = manPage(QString::fromUtf8(in.readAll()));
    if (page.isEmpty()) {
        std::fprintf(stderr, "zunova_make_option_docs: %s has no line %s, or more than one\n",
                     qPrintable(arguments[2]), qPrintable(kPlaceholder));
        return 1;
    }
    return write(arguments[3], page) ? 0 : 1;
}

} // namespace
} // namespace zunova::console

int main(int argc, char* argv[]) {
    using namespace zunova::console;
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1);
    if (mode == u"man" && (arguments.size() == 4 || arguments.size() == 5))
        return makeManPage(arguments);
    if (mode == u"bash-completion" && arguments.size() == 3)
        return write(arguments[2], bashCompletion()) ? 0 : 1;
    if (mode == u"names" && arguments.size() == 2) {
        QTextStream out(stdout);
        for (const Option& option : options())
            if (!option.hidden)
                out << typedNames(option).join(u' ') << '\n';
        return 0;
    }
    std::fprintf(stderr, "usage: zunova_make_option_docs man TEMPLATE OUTPUT [TRANSLATION.qm]\n"
                         "       zunova_make_option_docs bash-completion OUTPUT\n"
                         "       zunova_make_option_docs names\n");
    return 2;
}
