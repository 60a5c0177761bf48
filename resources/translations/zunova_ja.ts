<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
    <context>
        <name>QLineEdit</name>
        <message>
            <source>&amp;Paste</source>
            <translation type="unfinished" />
        </message>
    </context>
    <context>
        <name>zunova::console</name>
        <message>
            <source>the list itself (%1), which is never written over: give -o another name</source>
            <translation>一覧そのもの（%1）です。一覧に上書きはしません。-o には別の名前を指定してください。</translation>
        </message>
        <message>
            <source>read-only (its owner may not write it): left as it is</source>
            <translation>読み取り専用です（所有者に書き込みの権限がありません）。そのままにしました。</translation>
        </message>
        <message>
            <source>a name for a text list, but %1 is an Excel workbook, and so is its copy: give -o a name ending .xlsx or .xlsm</source>
            <translation>テキストの一覧の名前ですが、%1 は Excel のブックで、そのコピーもブックです。-o には .xlsx か .xlsm で終わる名前を指定してください。</translation>
        </message>
        <message>
            <source>a name for an Excel workbook, but %1 is a text list, and so is what is written: give -o a name ending .csv, .tsv or .txt</source>
            <translation>Excel のブックの名前ですが、%1 はテキストの一覧で、書き出すのもテキストの一覧です。-o には .csv、.tsv か .txt で終わる名前を指定してください。</translation>
        </message>
        <message>
            <source>a terminal, to which a workbook is not written</source>
            <translation>端末です。ブックは端末には書き出しません。</translation>
        </message>
        <message>
            <source>no file can be made in the folder %1: %2</source>
            <translation>フォルダー %1 にファイルを作れません（%2）。</translation>
        </message>
    </context>
    <context>
        <name>zunova::list</name>
        <message>
            <source>a folder, not a file</source>
            <translation>フォルダーです。</translation>
        </message>
        <message>
            <source>not a regular file, but a FIFO, a device or a socket</source>
            <translation>普通のファイルではありません（FIFO、デバイスまたはソケットです）。</translation>
        </message>
        <message>
            <source>it changed while it was read</source>
            <translation>読み込んでいる間にファイルが変わりました。</translation>
        </message>
        <message>
            <source>the rows written may mix old and new contents</source>
            <translation>書き出した行には、変わる前と後の内容が混ざっているかもしれません。</translation>
        </message>
        <message>
            <source>open it again once it is saved whole</source>
            <translation>保存し終わってから、もう一度開いてください。</translation>
        </message>
        <message>
            <source>larger than %1 MiB, the most a list is read whole</source>
            <translation>一度に読み込める一覧は %1 MB までです。</translation>
        </message>
        <message>
            <source>a text list that large can be given to the command line: zunova --csv</source>
            <translation>大きなテキストの一覧には、コマンドラインの zunova --csv を使ってください。</translation>
        </message>
        <message>
            <source>stopped</source>
            <translation>中止しました。</translation>
        </message>
        <message>
            <source>no rows: nothing to look up</source>
            <translation>一覧が空です。</translation>
        </message>
        <message>
            <source>not a text file (NUL or control bytes)</source>
            <translation>テキストファイルではありません（NUL や制御文字があります）。</translation>
        </message>
        <message>
            <source>not valid UTF-16, though it begins with a UTF-16 byte-order mark</source>
            <translation>UTF-16 のバイト順マークで始まっていますが、UTF-16 として読めません。</translation>
        </message>
        <message>
            <source>from here on not %1, which its start was read in</source>
            <translation>ここから先は、初めの部分を読んだ %1 ではありません。</translation>
        </message>
        <message>
            <source>from here on not %1, which its start was read in (it reads as %2)</source>
            <translation>ここから先は、初めの部分を読んだ %1 ではありません（%2 として読めます）。</translation>
        </message>
        <message>
            <source>nothing from here on is written; give its encoding with --encoding</source>
            <translation>ここから先は書き出しません。--encoding で文字コードを指定してください。</translation>
        </message>
        <message>
            <source>choose its encoding</source>
            <translation>文字コードを選んでください。</translation>
        </message>
        <message>
            <source>Shift_JIS cannot be read or written on this system (iconv has no CP932)</source>
            <translation>このシステムでは Shift_JIS を読み書きできません（iconv に CP932 がありません）。</translation>
        </message>
        <message>
            <source>a quote opened on this line does not close within %1 MiB (it took in %2 lines)</source>
            <translation>この行で開いた引用符が %1 MB 以内で閉じていません（%2 行を取り込みました）。</translation>
        </message>
        <message>
            <source>a line longer than %1 MiB</source>
            <translation>この行は %1 MB を超えています。</translation>
        </message>
        <message>
            <source>nothing from it on is written</source>
            <translation>そこから先は書き出しません。</translation>
        </message>
        <message>
            <source>a header row alone: nothing to look up</source>
            <translation>見出しの行しかありません。</translation>
        </message>
        <message>
            <source>no column holds a telephone number</source>
            <translation>電話番号の入った列が見つかりません。</translation>
        </message>
        <message>
            <source>choose one with --column</source>
            <translation>--column で列を指定してください。</translation>
        </message>
        <message>
            <source>no row has a column %1</source>
            <translation>%1 列目のある行がありません。</translation>
        </message>
        <message>
            <source>no column is named '%1'</source>
            <translation>「%1」という名前の列がありません。</translation>
        </message>
        <message>
            <source>more than %1 rows</source>
            <translation>%1 行を超えています。</translation>
        </message>
        <message>
            <source>a text list that long can be given to the command line: zunova --csv</source>
            <translation>長いテキストの一覧には、コマンドラインの zunova --csv を使ってください。</translation>
        </message>
        <message>
            <source>not an Excel workbook (not a zip, as an .xlsx is)</source>
            <translation>Excel のブック（.xlsx）ではありません。</translation>
        </message>
        <message>
            <source>not an Excel workbook (no workbook in it)</source>
            <translation>Excel のブックではありません（ブックの中身がありません）。</translation>
        </message>
        <message>
            <source>a workbook protected by a password: take the protection off and save it again</source>
            <translation>パスワードで保護されたブックは開けません。保護を外して保存し直してください。</translation>
        </message>
        <message>
            <source>an Excel workbook of the old binary kind (.xls or .xlsb): save it as .xlsx or as CSV</source>
            <translation>古い形式の Excel ブック（.xls、.xlsb）です。Excel で .xlsx か CSV として保存し直してください。</translation>
        </message>
        <message>
            <source>a workbook without a worksheet</source>
            <translation>ブックにワークシートがありません。</translation>
        </message>
        <message>
            <source>no sheet %1</source>
            <translation>%1 番目のシートはありません。</translation>
        </message>
        <message>
            <source>no sheet is named '%1'</source>
            <translation>「%1」という名前のシートはありません。</translation>
        </message>
        <message>
            <source>no sheet shown as a tab has a column of telephone numbers</source>
            <translation>表示されているシートに、電話番号の列がありません。</translation>
        </message>
        <message>
            <source>choose one with --sheet and --column</source>
            <translation>--sheet と --column で指定してください。</translation>
        </message>
        <message>
            <source>a part of the workbook larger than %1 MiB</source>
            <translation>ブックの中に %1 MB を超える部分があります。</translation>
        </message>
        <message>
            <source>a damaged workbook</source>
            <translation>ブックが壊れています。</translation>
        </message>
        <message>
            <source>no room for the new columns: the sheet's cells reach its last column</source>
            <translation>新しい列を加える場所がありません（シートの最後の列まで使われています）。</translation>
        </message>
        <message>
            <source>the workbook's copy could not be made</source>
            <translation>ブックの写しを作れませんでした。</translation>
        </message>
        <message>
            <source>workbooks cannot be read here: the module that reads them cannot be loaded (%1)</source>
            <translation>このシステムではブックを読めません（ブックを読む部品を読み込めません: %1）。</translation>
        </message>
        <message>
            <source>no such file or folder</source>
            <translation>ファイルが見つかりません。</translation>
        </message>
        <message>
            <source>permission denied</source>
            <translation>ファイルを読み取る権限がありません。</translation>
        </message>
        <message>
            <source>no space left on the disk</source>
            <translation>ディスクに空きがありません。</translation>
        </message>
        <message>
            <source>a read-only place</source>
            <translation>読み取り専用の場所です。</translation>
        </message>
        <message>
            <source>%1, row %2</source>
            <translation>%1 の %2 行目</translation>
        </message>
        <message>
            <source>line %1</source>
            <translation>%1 行目</translation>
        </message>
        <message>
            <source>%1; %2</source>
            <translation>%1%2</translation>
        </message>
        <message>
            <source>neither UTF-8 nor Shift_JIS reads every byte; read as %1</source>
            <translation>UTF-8 としても Shift_JIS としても読めない文字があります（今は %1 として読んでいます）</translation>
        </message>
        <message>
            <source>%1 (choose another with --encoding)</source>
            <translation>%1。--encoding で別の文字コードを指定できます。</translation>
        </message>
        <message>
            <source>%1: if it looks wrong, choose another encoding</source>
            <translation>%1。表示がおかしければ、文字コードを選び直してください。</translation>
        </message>
        <message>
            <source>a quote opened on this line never closes: the %1 lines from here to the end were read as one row, written as they are without a carrier</source>
            <translation>この行で開いた引用符が閉じていません。そこから終わりまでの %1 行を一つの行として読み、キャリアを加えずにそのまま書き出しました。</translation>
        </message>
        <message>
            <source>a quote opened on this line never closes: the %1 lines from here to the end were read as one row, which a save writes as it is</source>
            <translation>この行で開いた引用符が閉じていません。そこから終わりまでの %1 行を一つの行として読みました（保存すると、そのまま書き出します）。</translation>
        </message>
        <message>
            <source>a blank row</source>
            <translation>空の行</translation>
        </message>
        <message>
            <source>a quote that never closes runs from here to the end of the list</source>
            <translation>引用符が閉じないまま一覧の終わりまで続いています。</translation>
        </message>
        <message>
            <source>no number</source>
            <translation>番号がありません。</translation>
        </message>
        <message>
            <source>the leading 0 a spreadsheet dropped was put back</source>
            <translation>表計算ソフトが落とした先頭の 0 を補いました。</translation>
        </message>
        <message>
            <source>%1 fields where most rows have %2</source>
            <translation>列の数が %1 です（ほとんどの行は %2）。</translation>
        </message>
        <message>
            <source>error %1: %2</source>
            <translation>エラー %1: %2</translation>
        </message>
        <message>
            <source>a quote opened on this line never closes: it takes in the rest of the list, which leaves no rows of numbers</source>
            <translation>この行で開いた引用符が閉じていないため、一覧の残りがすべて一つの欄になり、番号の行が残りません。</translation>
        </message>
        <message>
            <source>a data file could not be opened: no number of its kind is looked up</source>
            <translation>データファイルを開けません。その種類の番号は調べられません。</translation>
        </message>
        <message>
            <source>%1 numbers are not looked up: there is no data for them</source>
            <translation>%1 の番号は調べられません（そのデータがありません）。</translation>
        </message>
        <message>
            <source>the cell holds several numbers: this is %1's carrier</source>
            <translation>欄に番号が複数あります。%1 のキャリアです。</translation>
        </message>
        <message>
            <source>a control character in the row, kept as it is</source>
            <translation>行に制御文字があります（そのまま残しました）。</translation>
        </message>
        <message>
            <source>%1 (looked for in %2)</source>
            <translation>%1（%2 で探しました）</translation>
        </message>
        <message>
            <source>numbers in column %1</source>
            <translation>%1 列目の番号</translation>
        </message>
        <message>
            <source>numbers in column %1 (%2)</source>
            <translation>%1 列目（%2）の番号</translation>
        </message>
        <message>
            <source>%1, header in row %2</source>
            <translation>%1、見出しは %2 行目</translation>
        </message>
        <message>
            <source>%1, header on line %2</source>
            <translation>%1、見出しは %2 行目</translation>
        </message>
        <message>
            <source>sheet %1: %2</source>
            <translation>シート「%1」: %2</translation>
        </message>
        <message>
            <source>%1 %2</source>
            <translation>%1 %2件</translation>
        </message>
        <message>
            <source>%1: %2</source>
            <translation>%1: %2</translation>
        </message>
        <message>
            <source>cellular</source>
            <translation>携帯電話</translation>
        </message>
        <message>
            <source>PHS</source>
            <translation>PHS</translation>
        </message>
        <message>
            <source>, </source>
            <translation>、</translation>
        </message>
        <message>
            <source>warnings %1</source>
            <translation>警告 %1件</translation>
        </message>
        <message>
            <source>errors %1</source>
            <translation>エラー %1件</translation>
        </message>
        <message>
            <source>without a number %1</source>
            <translation>番号なし %1件</translation>
        </message>
        <message>
            <source>%1 rows in all</source>
            <translation>計 %1件</translation>
        </message>
        <message>
            <source>every number had lost its leading 0 (stored as a number): it was put back</source>
            <translation>どの番号も先頭の 0 が落ちていました（数値として保存されていました）。0 を補いました。</translation>
        </message>
        <message>
            <source>%1 rows hold a control character (the first on line %2), kept as they are</source>
            <translation>制御文字のある行が %1 行あります（最初は %2 行目）。そのまま残しました。</translation>
        </message>
    </context>
    <context>
        <name>zunova::options</name>
        <message>
            <source>Check the data files given instead of looking numbers up.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Read each data _FILE_ to its end, or to its first run-time error (no lookup ever gets past it), and report every problem on standard error as

_FILE_*:*_LINE_*: *_text_

and a summary on standard output: the records read, the run-time errors a lookup would meet (13, 6, 62 and 57) with their lines, keys outside 0 to 999, duplicate keys (only the first record of a key is ever used), codes that have no carrier name for the file's kind, and data after a DOS end-of-file mark that ends the data early (anything but blank space and further marks), which no lookup ever reads. A field not written as a plain decimal integer (such as &amp;H7FFF, 1e3 or 2.5) is read as it always has been and reported with the value it was read as; it, too, makes the file not clean. A file named _p.dat_ is checked as PHS data, any other name as cellular data.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>*k*|*p*</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--check*: the files hold cellular (*k*) or PHS (*p*) blocks. Default: *p* for a file named _p.dat_, *k* for any other.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--check*: check every _FILE_ as cellular (*k*) or PHS (*p*) data, whatever its name.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>_FILE_</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Add the carrier to every row of the list _FILE_ (*-* for standard input).</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Add the carrier to every row of the list in _FILE_ (*-* for standard input) and write the rows to standard output. A list is one number a line, or rows delimited by commas, tabs or semicolons, quoted as RFC 4180 says (a quoted field may hold delimiters, doubled quotes and line breaks). Each row's number is read as people and programs write it (*090-1234-5678*, *(070) 1220 5678*, *+81 90-1234-5678*, *TEL:090-1234-5678*, *="09012345678"*; of two numbers in a cell the first mobile one), and ten digits beginning 90, 80, 70 or 60 get back the leading zero a spreadsheet dropped, which standard error notes. Its encoding is UTF-8 (with or without a byte-order mark), UTF-16 with a byte-order mark, or Shift_JIS (CP932, as spreadsheet programs in Japan save CSV); it is found from the first megabyte (a file whose first megabyte is ASCII alone is read ahead for it), and *--encoding* overrides it. Rows that later stop reading in that encoding stop the run, with their line: a list is never written in two encodings. The number column is the one in which most rows hold a mobile number (0X0 and eight digits), a header naming a mobile column (携帯, モバイル, mobile, cell) breaking a tie; without any, the one that most often holds a telephone number; a first row whose number column holds none is a header. Each row is written exactly as it was read, in the list's own encoding, delimiter, quoting and line ends, with one field added after its last: the carrier, quoted like that last field, or nothing where the row's number got a warning or an error or the row has no number; a header row gets *キャリア*. A row with fewer fields than most rows gets empty fields first, so the carriers stand in one column; a blank line stays blank; a list of one number a line gets a tab before the carrier. Every number is answered exactly as *zunova -* answers it, each data file read once. A warning or an error goes to standard error as

*zunova: *_FILE_*:*_LINE_*: *_NUMBER_*: *_text_

with the line the row starts on; so do a row without a number, a restored zero and a row whose field count differs from most rows'. The list streams through: memory stays bounded whatever its size. A list that is empty, binary, has no number in any column, a quote that never closes (its rows are written as they were, with nothing added), a row longer than 16 MiB, or that changes while it is read is reported on standard error.

An Excel workbook (_.xlsx_, _.xlsm_, known by its content or its name) is read whole, as the window caps it (256 MiB, 10 million rows): its sheet's cells as the spreadsheet shows them (shared and inline strings, numbers, the last value of a formula; dates and booleans are not numbers), each row answered exactly as a CSV of the same rows. What is written is a copy of the workbook with a column added to the sheet after its last used one, headed *キャリア*, holding each row's carrier, and after it, where some row has a note, a *備考* column; every other part of the workbook is copied unchanged. A workbook is not written to a terminal: give *-o* or send standard output to a file. A file that is not a workbook though its name says so, a password-protected workbook and the old binary _.xls_ (save it as _.xlsx_ or CSV) are reported on standard error.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>_N_|_NAME_</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--csv*: the number column, by position (from 1) or by the header's name.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>_NAME_</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--csv*: the list's encoding, where it is not the one found: *utf-8*, *shift_jis*, *utf-16le* or *utf-16be*.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--csv*: read (and write) the list as *utf-8*, *shift_jis* (*cp932*), *utf-16le* or *utf-16be*. A list of ASCII only is taken as UTF-8, which decides how the carrier names are written.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--csv* and a workbook: the sheet, by position (from 1) or by name. Default: the first with a column of telephone numbers.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--csv* and a workbook: the sheet, by position (from 1) or by name. By default, the first sheet that has a column of telephone numbers.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--csv*: write to _FILE_, whole or not at all, instead of standard output.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--csv*: write to _FILE_ instead of standard output. A regular file, or a new one, gets the output whole or not at all: it is written to a temporary file beside _FILE_ (unnamed where the file system allows, else named ._FILE_._XXXXXX_), which takes the name only once the list was read and written whole. A list that cannot be read whole or that changes while it is read, a full disk, a file grown past the size limit, SIGHUP, SIGINT, SIGQUIT and SIGTERM leave nothing under the name or beside it, and a file that was there as it was; only a run killed outright (SIGKILL) on a file system without unnamed files may leave its temporary file. A file replaced keeps its owner (where the user may give it) and its permissions; a symbolic link is followed, and kept. A _FILE_ that exists and is not a regular file (a FIFO, a device such as _/dev/null_) is written through, as the shell's *&gt;* writes it, and never replaced; whole or not at all cannot hold there.

Refused, with nothing written: the list itself, by any name (*./*_FILE_, a symbolic or a hard link, the file standard input is); a file its owner made read-only, even for root; a folder; a workbook's copy under a name ending _.csv_, _.tsv_ or _.txt_, and a text list's rows under a name ending _.xlsx_, _.xlsm_, _.xls_ or _.xlsb_ (a name ending otherwise is taken as given); a terminal for a workbook. Where no file can be made in _FILE_'s folder, _FILE_ is not written in place either: the error names the folder.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--csv*: say on standard error what each row got besides its carrier, not just what the whole list got.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>With *--csv*: say on standard error, after each row, what it got besides its carrier (the note the list's 備考 column holds), as

*zunova: *_FILE_*:*_LINE_*: *_NUMBER_*: *_text_

Without it the run says only once which column and header it read the list with, and how many rows got each carrier, a warning, an error or no number.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Show this help and exit.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Print the usage and exit.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Show the version and exit.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>[NUMBER... | - | --check FILE... | --csv FILE]</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>NUMBER</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>A number to look up; - reads numbers from standard input. With --check: a data file.</source>
            <translation type="unfinished" />
        </message>
        <message>
            <source>Tells which carrier a Japanese mobile number belongs to.
With no arguments, opens the window.

  zunova NUMBER...        look each number up as the window would, reading k.dat
                          (090) and p.dat (070) from the working directory
  zunova -                the same for the numbers on standard input, one a line
  zunova --check FILE...  report every problem of data files
  zunova --csv FILE       add the carrier to every row of a list (- reads
                          standard input)

A number may be written as people write it: 090-1234-5678, (090) 1234 5678
and full-width digits all read as 09012345678.
Each number gets one line on standard output: the number as given (control
characters and bytes that are not UTF-8 shown as \xNN), a tab and the
carrier. Where the window would warn or report an error, the carrier is
empty and standard error says why: "zunova: NUMBER: TEXT". Put -- before a
number that begins with -.
--check reads each file as a lookup would and reports its problems on
standard error as "FILE:LINE: TEXT", with a summary on standard output.
--csv reads a list: one number a line, or rows delimited by commas, tabs or
semicolons (quoted as in RFC 4180), in UTF-8, UTF-16 with a byte-order mark
or Shift_JIS. It writes each row to standard output with a carrier field
added after its last one, in the list's own encoding, delimiter and line
ends; a header row gets the field "キャリア". The number column is the one in
which most rows hold a mobile number, unless --column names another.
An Excel workbook (.xlsx, .xlsm) comes back as a copy of itself with a
キャリア column (and a 備考 column of notes) added to its sheet, every other
part kept; it is not written to a terminal.
Warnings and errors go to standard error as "zunova: FILE:LINE: NUMBER: TEXT".

Exit status: 0 when every number or row got a carrier (or every file is
clean); 1 when some got a warning or had no number (or a file has problems);
2 for trouble: a usage error, a list or data file that could not be read
whole, output that did not arrive.</source>
            <translation type="unfinished" />
        </message>
    </context>
</TS>
