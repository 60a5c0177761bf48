<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
    <context>
        <name>QCommandLineParser</name>
        <message>
            <source>Unknown option '%1'.</source>
            <translation>オプション「%1」を認識できません。</translation>
        </message>
        <message>
            <source>Unknown options: %1.</source>
            <translation>認識できないオプションがあります: %1</translation>
        </message>
        <message>
            <source>Missing value after '%1'.</source>
            <translation>「%1」の後に値がありません。</translation>
        </message>
        <message>
            <source>Unexpected value after '%1'.</source>
            <translation>「%1」には値を指定できません。</translation>
        </message>
    </context>
    <context>
        <name>zunova::console</name>
        <message>
            <source>Try 'zunova --help' for more information.</source>
            <translation>詳しくは 'zunova --help' を実行してください。</translation>
        </message>
        <message>
            <source>--csv takes one FILE and no other input</source>
            <translation>--csv にはファイルを一つだけ指定してください。ほかの入力は指定できません。</translation>
        </message>
        <message>
            <source>standard input</source>
            <translation>標準入力</translation>
        </message>
        <message>
            <source>--kind takes k or p, not '%1'</source>
            <translation>--kind には k か p を指定してください（「%1」は指定できません）。</translation>
        </message>
        <message>
            <source>--check needs at least one FILE</source>
            <translation>--check にはファイルを一つ以上指定してください。</translation>
        </message>
        <message>
            <source>--kind is only for --check</source>
            <translation>--kind は --check と一緒にしか使えません。</translation>
        </message>
        <message>
            <source>no NUMBER given</source>
            <translation>番号が指定されていません。</translation>
        </message>
        <message>
            <source>--csv needs a FILE, or - for standard input</source>
            <translation>--csv にはファイルを指定してください（標準入力は -）。</translation>
        </message>
        <message>
            <source>%1 counts from 1, not '%2'</source>
            <translation>%1 は 1 から数えます（「%2」は指定できません）。</translation>
        </message>
        <message>
            <source>%1 needs a number or a name</source>
            <translation>%1 には位置か名前を指定してください。</translation>
        </message>
        <message>
            <source>--encoding takes utf-8, shift_jis (cp932), utf-16le or utf-16be, not '%1'</source>
            <translation>--encoding には utf-8、shift_jis（cp932）、utf-16le、utf-16be のどれかを指定してください（「%1」は指定できません）。</translation>
        </message>
        <message>
            <source>-o needs a FILE</source>
            <translation>-o にはファイルを指定してください。</translation>
        </message>
        <message>
            <source>a workbook, not for a terminal: give -o FILE, or send standard output to a file</source>
            <translation>ブックは端末には書き出しません。-o でファイルを指定するか、標準出力をファイルに送ってください。</translation>
        </message>
        <message>
            <source>PHS</source>
            <translation>PHS</translation>
        </message>
        <message>
            <source>cellular</source>
            <translation>携帯電話</translation>
        </message>
        <message>
            <source>"%1" read as %2</source>
            <translation>「%1」は %2 と読まれます。</translation>
        </message>
        <message>
            <source>key %1 is outside 0-999: no number reaches this record</source>
            <translation>キー %1 は 0〜999 の範囲外です。このレコードに当たる番号はありません。</translation>
        </message>
        <message>
            <source>key %1 again (first on line %2): this record is never used</source>
            <translation>キー %1 が重複しています（最初は %2 行目）。このレコードは使われません。</translation>
        </message>
        <message>
            <source>%1 for digit %2</source>
            <translation>7 桁目 %2 のコード %1</translation>
        </message>
        <message>
            <source>codes with no %1 carrier name (shown as 不明) in block %2: %3</source>
            <translation>ブロック %2 に%1のキャリア名のないコードがあります（不明と表示されます）: %3</translation>
        </message>
        <message>
            <source>, </source>
            <translation>、</translation>
        </message>
        <message>
            <source>data after the end-of-file mark (Ctrl+Z) are never read</source>
            <translation>ファイル終端記号（Ctrl+Z）より後のデータは読まれません。</translation>
        </message>
        <message>
            <source>%1 (a lookup stops here: every number whose block is not listed before this point gets this error)</source>
            <translation>%1（検索はここで止まります。ここより前に載っていないブロックの番号は、すべてこのエラーになります）</translation>
        </message>
        <message>
            <source>%1 (%2): </source>
            <translation>%1（%2）: </translation>
        </message>
        <message>
            <source>not read: error %1: %2</source>
            <translation>読めません: エラー %1: %2</translation>
        </message>
        <message>
            <source>%1 records read</source>
            <translation>%1 件のレコードを読みました</translation>
        </message>
        <message>
            <source>run-time errors: </source>
            <translation>実行時エラー: </translation>
        </message>
        <message>
            <source>error %1 at line %2 (not read further: no lookup gets past it)</source>
            <translation>%2 行目でエラー %1（これより先は読みません。どの検索もここを越えません）</translation>
        </message>
        <message>
            <source>none</source>
            <translation>なし</translation>
        </message>
        <message>
            <source>keys outside 0-999: %1</source>
            <translation>0〜999 の範囲外のキー: %1</translation>
        </message>
        <message>
            <source>duplicate keys: %1</source>
            <translation>重複したキー: %1</translation>
        </message>
        <message>
            <source>codes with no carrier name: %1</source>
            <translation>キャリア名のないコード: %1</translation>
        </message>
        <message>
            <source>fields not written as plain decimal integers: %1</source>
            <translation>10 進の整数として書かれていないフィールド: %1</translation>
        </message>
        <message>
            <source>data after the end-of-file mark: from line %1, never read</source>
            <translation>ファイル終端記号より後のデータ: %1 行目から（読まれません）</translation>
        </message>
        <message>
            <source>Usage: zunova [options] %1</source>
            <translation>書式: zunova [オプション] %1</translation>
        </message>
        <message>
            <source>Options:</source>
            <translation>オプション:</translation>
        </message>
        <message>
            <source>Arguments:</source>
            <translation>引数:</translation>
        </message>
        <message>
            <source>standard output</source>
            <translation>標準出力</translation>
        </message>
        <message>
            <source>write error</source>
            <translation>書き込みエラー</translation>
        </message>
        <message>
            <source>… (%1 characters)</source>
            <translation>…（%1 文字）</translation>
        </message>
        <message>
            <source>cannot open the window: %1</source>
            <translation>ウィンドウを開けません: %1</translation>
        </message>
        <message>
            <source>%1; %2</source>
            <translation>%1%2</translation>
        </message>
        <message>
            <source>--column, --encoding, --sheet, -o and --verbose are only for --csv</source>
            <translation>--column、--encoding、--sheet、-o、--verbose は --csv と一緒にしか使えません。</translation>
        </message>
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
            <translation>%1 列目「%2」の番号</translation>
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
        <message>
            <source>a part of the workbook in an XML encoding this program does not read (it reads UTF-8, UTF-16 and ISO-8859-1)</source>
            <translation>ブックの中に、このプログラムが読めない文字コードの XML があります（読めるのは UTF-8、UTF-16、ISO-8859-1 です）。</translation>
        </message>
        <message>
            <source>a workbook larger inside than this program reads: more than %1 parts, %2 sheets, or %3 MiB of sheets to look through</source>
            <translation>ブックの中身が大きすぎて読めません（部分が %1 個、シートが %2 枚、または調べるシートが %3 MB を超えています）。</translation>
        </message>
        <message>
            <source>a quote opened on this line never closes: this last line was read as one row, written as it is without a carrier</source>
            <translation>この行で開いた引用符が閉じていません。この最後の行を一つの行として読み、キャリアを加えずにそのまま書き出しました。</translation>
        </message>
        <message>
            <source>a quote opened on this line never closes: this last line was read as one row, which a save writes as it is</source>
            <translation>この行で開いた引用符が閉じていません。この最後の行を一つの行として読みました（保存すると、そのまま書き出します）。</translation>
        </message>
        <message>
            <source>1 field where most rows have %2</source>
            <translation>列の数が 1 です（ほとんどの行は %2）。</translation>
        </message>
        <message>
            <source>1 row in all</source>
            <translation>計 1件</translation>
        </message>
        <message>
            <source>1 row holds a control character (on line %1), kept as it is</source>
            <translation>制御文字のある行が 1 行あります（%1 行目）。そのまま残しました。</translation>
        </message>
        <message>
            <source>the cell holds several numbers: this answers %1</source>
            <translation>欄に番号が複数あります。%1 についての結果です。</translation>
        </message>
    </context>
    <context>
        <name>zunova::options</name>
        <message>
            <source>Check the data files given instead of looking numbers up.</source>
            <translation>番号を調べる代わりに、指定したデータファイルを検査します。</translation>
        </message>
        <message>
            <source>Read each data _FILE_ to its end, or to its first run-time error (no lookup ever gets past it), and report every problem on standard error as

_FILE_*:*_LINE_*: *_text_

and a summary on standard output: the records read, the run-time errors a lookup would meet (13, 6, 62 and 57) with their lines, keys outside 0 to 999, duplicate keys (only the first record of a key is ever used), codes that have no carrier name for the file's kind, and data after a DOS end-of-file mark that ends the data early (anything but blank space and further marks), which no lookup ever reads. A field not written as a plain decimal integer (such as &amp;H7FFF, 1e3 or 2.5) is read as it always has been and reported with the value it was read as; it, too, makes the file not clean. A file named _p.dat_ is checked as PHS data, any other name as cellular data.</source>
            <translation>各データ _ファイル_ を終わりまで、または最初の実行時エラーまで読み（どの検索もそこを越えません）、見つけた問題をすべて標準エラー出力に

_ファイル_*:*_行_*: *_文_

の形で、要約を標準出力に書きます。要約には、読んだレコード、検索が出会う実行時エラー（13、6、62、57）とその行、0 から 999 の範囲外のキー、重複したキー（キーごとに最初のレコードしか使われません）、ファイルの種類にキャリア名のないコード、そしてデータを途中で終わらせる DOS のファイル終端記号より後のデータ（空白とさらに続く終端記号を除きます。どの検索も読みません）が入ります。単純な 10 進の整数として書かれていないフィールド（&amp;H7FFF、1e3、2.5 など）は、これまでどおりに読み、読んだ値とともに報告します。このようなフィールドがあるファイルも、問題ありとします。名前が _p.dat_ のファイルは PHS のデータとして、それ以外の名前のファイルは携帯電話のデータとして検査します。</translation>
        </message>
        <message>
            <source>*k*|*p*</source>
            <translation>*k*|*p*</translation>
        </message>
        <message>
            <source>With *--check*: the files hold cellular (*k*) or PHS (*p*) blocks. Default: *p* for a file named _p.dat_, *k* for any other.</source>
            <translation>*--check* と一緒に使います。ファイルが携帯電話（*k*）と PHS（*p*）のどちらのデータかを指定します。省略時は、名前が _p.dat_ のファイルは *p*、それ以外は *k* です。</translation>
        </message>
        <message>
            <source>With *--check*: check every _FILE_ as cellular (*k*) or PHS (*p*) data, whatever its name.</source>
            <translation>*--check* と一緒に使います。名前にかかわらず、どの _ファイル_ も携帯電話（*k*）か PHS（*p*）のデータとして検査します。</translation>
        </message>
        <message>
            <source>_FILE_</source>
            <translation>_ファイル_</translation>
        </message>
        <message>
            <source>Add the carrier and a note to every row of the list _FILE_ (*-* for standard input).</source>
            <translation>一覧 _ファイル_ の各行にキャリアと備考を加えます（標準入力は *-*）。</translation>
        </message>
        <message>
            <source>Add the carrier and a note to every row of the list in _FILE_ (*-* for standard input) and write the rows to standard output. A list is one number a line, or rows delimited by commas, tabs or semicolons, quoted as RFC 4180 says (a quoted field may hold delimiters, doubled quotes and line breaks). Its encoding is UTF-8 (with or without a byte-order mark), UTF-16 with a byte-order mark, or Shift_JIS (CP932, as spreadsheet programs in Japan save CSV); it is found from the first megabyte after any blank lines (a file whose first megabyte is ASCII alone is read ahead for it), and *--encoding* overrides it. Rows that later stop reading in that encoding stop the run, with their line: a list is never written in two encodings.

Each row's number is read as people and programs write it (*090-1234-5678*, *(070) 1220 5678*, *+81 90-1234-5678*, *TEL:090-1234-5678*, *="09012345678"*, and 81 and ten digits run together, as SMS gateways write it: *819012345678*); ten digits beginning 90, 80, 70 or 60 get back the leading zero a spreadsheet dropped. Digits glued to letters (*SM3aca1d04*) are an ID, not a number. Of several numbers in a cell, the first the data files answer is taken.

The header is the row of names just above the first rows of numbers; rows above it (a title, a date) are written as they are, with nothing added, and not counted. The number column is the one that holds the most mobile numbers (0X0 and eight digits), a header that names the person's mobile (携帯, モバイル, mobile, cell) breaking a tie, else the leftmost; a column whose header names someone else's number (緊急, 連絡先, 勤務先, 会社, 保護者, 自宅, FAX) only where no other holds any. A list without mobile numbers takes the column that most often holds a telephone number. *--column* chooses another.

Each row is written exactly as it was read, in the list's own encoding, delimiter, quoting and line ends, control characters included, with two fields added after its last, quoted like it: the carrier, or nothing where the number got a warning or an error or the row has no number; and a note, the reason where there is one (the warning or error, *番号がありません。* for a row without a number, a zero put back, which of several numbers was taken, a field count unlike most rows'). The header gets *キャリア* and *備考* (*備考2* where the list has a *備考*); a header that already ends in *キャリア* (and *備考*), as an earlier run left it, gets them written again in their place. A row with fewer fields than most rows gets empty fields first, so the carriers stand in one column; a blank line stays blank; a list of one number a line gets a tab before each added field. Every number is answered exactly as *zunova -* answers it, each data file read once. The list streams through: memory stays bounded whatever its size.

Once the list is written, standard error gets one line: which header and column were read (for a workbook, which sheet) and how many rows got each carrier, a warning, an error or no number, as

*zunova: *_FILE_*: numbers in column *_N_* (*_NAME_*), header on line *_LINE_*: *_counts_

*-v* adds a line for each row with a note. Where _k.dat_ or _p.dat_ cannot be opened, the run says so once, with the folder it looked in, and stops. A list that is empty, binary, has no number in any column, a quote that never closes (its rows are written as they were, with nothing added), a row longer than 16 MiB, or that changes while it is read is reported on standard error.

An Excel workbook (_.xlsx_, _.xlsm_, known by its content or its name) is read whole, as the window caps it (256 MiB, 10 million rows): its cells as the spreadsheet shows them (shared and inline strings, numbers, the last value of a formula; dates and booleans are not numbers), each row answered exactly as a CSV of the same rows. The sheet is, of those shown as tabs, the one with the most mobile numbers; a hidden sheet is read only where *--sheet* names it. Rows that a merged number cell covers below its first are the same person's: nothing is added to them. What is written is a copy of the workbook with a column added to the sheet after its last used one, headed *キャリア*, holding each row's carrier, and after it, where some row has a note, a *備考* column; a sheet whose header has a *キャリア* column already gets it written again. Every other part of the workbook is copied unchanged. A workbook is not written to a terminal: give *-o* or send standard output to a file. A file that is not a workbook though its name says so, a password-protected workbook and the old binary _.xls_ (save it as _.xlsx_ or CSV) are reported on standard error.</source>
            <translation>一覧 _ファイル_（標準入力は *-*）の各行にキャリアと備考を加え、標準出力に書き出します。一覧は、1 行に番号一つのもの、またはコンマ、タブ、セミコロンで区切った行で、RFC 4180 のとおりに引用符で囲めます（引用符で囲んだフィールドには、区切り文字、二重にした引用符、改行を入れられます）。文字コードは、UTF-8（バイト順マークの有無は問いません）、バイト順マーク付きの UTF-16、Shift_JIS（CP932。日本の表計算ソフトが CSV を保存するときの文字コード）のどれかです。先頭の空行を除いた最初の 1 メガバイトから判定し（最初の 1 メガバイトが ASCII だけのファイルは、判定のために先まで読みます）、*--encoding* で指定し直せます。後の行がその文字コードで読めなくなると、その行を示して処理を止めます。一つの一覧を二つの文字コードで書くことはありません。

各行の番号は、人やプログラムが書くとおりに読みます（*090-1234-5678*、*(070) 1220 5678*、*+81 90-1234-5678*、*TEL:090-1234-5678*、*="09012345678"*、そして SMS の送信サービスが書く、81 に 10 桁の数字を続けた *819012345678*）。90、80、70、60 で始まる 10 桁の数字には、表計算ソフトが落とした先頭の 0 を補います。英字とつながった数字（*SM3aca1d04*）は ID で、番号とは読みません。一つのセルに番号が複数あれば、データファイルで答えが出る最初の番号を使います。

見出しは、番号が並ぶ最初の行のすぐ上にある、名前の行です。その上の行（表題や日付など）は、何も加えずにそのまま書き出し、数えません。番号の列は、携帯電話の番号（0X0 と 8 桁の数字）が最も多い列です。同数のときは、本人の携帯電話を示す見出し（携帯、モバイル、mobile、cell）のある列を、それも同じなら左の列を選びます。ほかの人の番号を示す見出し（緊急、連絡先、勤務先、会社、保護者、自宅、FAX）の列は、ほかのどの列にも携帯電話の番号がないときだけ選びます。携帯電話の番号のない一覧では、電話番号が最も多く入った列です。*--column* で別の列を指定できます。

各行は、読んだとおりに一覧自身の文字コード、区切り文字、引用符、改行で、制御文字も含めて書き出し、最後のフィールドの後に、それと同じように引用符で囲んだフィールドを二つ加えます。一つはキャリアで、番号に警告やエラーが出たとき、または行に番号がないときは空です。もう一つは備考で、わけがあればそれを書きます（警告やエラー、番号のない行には *番号がありません。*、0 を補ったこと、複数の番号のどれを使ったか、フィールドの数がほとんどの行と違うこと）。見出しには *キャリア* と *備考*（一覧に *備考* があれば *備考2*）を加えます。前の実行が残したように見出しが *キャリア*（と *備考*）で終わっている一覧では、その場所に書き直します。フィールドがほとんどの行より少ない行には、先に空のフィールドを加えて、キャリアが一つの列にそろうようにします。空の行は空のままです。1 行に番号一つの一覧では、加える各フィールドの前にタブを入れます。どの番号にも *zunova -* とまったく同じに答え、各データファイルは 1 回だけ読みます。一覧は流れるように処理するので、大きさにかかわらず、使うメモリーは一定の範囲に収まります。

一覧を書き終えると、標準エラー出力に 1 行を書きます。どの見出しと列を読んだか（ブックではどのシートか）と、キャリアごと・警告・エラー・番号なしの行数で、次の形です。

*zunova: *_ファイル_*: *_N_* 列目「*_名前_*」の番号、見出しは *_行_* 行目: *_件数_

*-v* を付けると、備考のある行ごとにも 1 行を書きます。_k.dat_ か _p.dat_ を開けないときは、探したフォルダーとともに一度だけそう書いて、処理を止めます。空の一覧、バイナリーの一覧、どの列にも番号がない一覧、閉じない引用符がある一覧（その行は何も加えずにそのまま書き出します）、16 MiB より長い行がある一覧、読んでいる間に変わった一覧は、標準エラー出力に報告します。

Excel のブック（_.xlsx_、_.xlsm_。中身か名前で判定します）は、ウィンドウと同じ上限（256 MiB、1000 万行）まで全体を読みます。シートのセルは表計算ソフトが表示するとおりに読み（共有文字列とインライン文字列、数値、数式の最後の値。日付と真偽値は番号になりません）、各行には、同じ行の CSV とまったく同じに答えます。読むシートは、タブとして表示されるシートのうち、携帯電話の番号が最も多いものです。隠しシートは *--sheet* で指定したときだけ読みます。結合した番号のセルが下に広がっている行は、上の行と同じ人の行で、何も加えません。書き出すのはブックの写しで、シートの最後に使われている列の後に、見出しが *キャリア* で各行のキャリアが入った列を加え、備考のある行があれば、その後に *備考* の列を加えます。見出しに *キャリア* の列がすでにあるシートでは、その列に書き直します。ブックのほかの部分は、すべてそのまま写します。ブックは端末には書き出しません。*-o* を指定するか、標準出力をファイルに送ってください。名前はブックなのにブックではないファイル、パスワードで保護されたブック、古いバイナリー形式の _.xls_（_.xlsx_ か CSV として保存し直してください）は、標準エラー出力に報告します。</translation>
        </message>
        <message>
            <source>_N_|_NAME_</source>
            <translation>_N_|_名前_</translation>
        </message>
        <message>
            <source>With *--csv*: the number column, by position (from 1) or by the header's name.</source>
            <translation>*--csv* と一緒に使います。番号の列を、位置（1 から）か見出しの名前で指定します。</translation>
        </message>
        <message>
            <source>With *--csv*: the number column, by position (from 1) or by its name; the first row that holds the name is the header.</source>
            <translation>*--csv* と一緒に使います。番号の列を、位置（1 から）か名前で指定します。名前で指定すると、その名前のある最初の行が見出しになります。</translation>
        </message>
        <message>
            <source>_NAME_</source>
            <translation>_名前_</translation>
        </message>
        <message>
            <source>With *--csv*: the list's encoding, where it is not the one found: *utf-8*, *shift_jis*, *utf-16le* or *utf-16be*.</source>
            <translation>*--csv* と一緒に使います。判定と違うときに、一覧の文字コードを *utf-8*、*shift_jis*、*utf-16le*、*utf-16be* のどれかで指定します。</translation>
        </message>
        <message>
            <source>With *--csv*: read (and write) the list as *utf-8*, *shift_jis* (*cp932*), *utf-16le* or *utf-16be*. A list of ASCII only is taken as UTF-8, which decides how the carrier names are written.</source>
            <translation>*--csv* と一緒に使います。一覧を *utf-8*、*shift_jis*（*cp932*）、*utf-16le*、*utf-16be* のどれかとして読み、その文字コードで書きます。ASCII だけの一覧は UTF-8 とみなし、キャリア名も UTF-8 で書きます。</translation>
        </message>
        <message>
            <source>With *--csv* and a workbook: the sheet, by position (from 1) or by name. Default: the sheet shown as a tab with the most mobile numbers.</source>
            <translation>*--csv* でブックを読むときに使います。シートを、位置（1 から）か名前で指定します。省略時は、タブとして表示されるシートのうち、携帯電話の番号が最も多いシートです。</translation>
        </message>
        <message>
            <source>With *--csv* and a workbook: the sheet, by position (from 1) or by name, hidden or not. By default, of the sheets shown as tabs, the one that holds the most mobile numbers (a cover sheet holds the company's numbers, the customers' sheet the customers'), the first of those alike; a hidden sheet is never chosen for you.</source>
            <translation>*--csv* でブックを読むときに使います。シートを、位置（1 から）か名前で指定します。隠しシートも指定できます。省略すると、タブとして表示されるシートのうち、携帯電話の番号が最も多いシート（表紙のシートには会社の番号が、顧客のシートには顧客の番号が入っています）を使い、同数なら最初のものを使います。隠しシートを自動で選ぶことはありません。</translation>
        </message>
        <message>
            <source>With *--csv*: write to _FILE_, whole or not at all, instead of standard output.</source>
            <translation>*--csv* と一緒に使います。標準出力の代わりに _ファイル_ に書き出します。全部を書き出すか、何も書き出さないかのどちらかです。</translation>
        </message>
        <message>
            <source>Show this help and exit.</source>
            <translation>このヘルプを表示して終了します。</translation>
        </message>
        <message>
            <source>Print the usage and exit.</source>
            <translation>使い方を表示して終了します。</translation>
        </message>
        <message>
            <source>Show the version and exit.</source>
            <translation>バージョンを表示して終了します。</translation>
        </message>
        <message>
            <source>[NUMBER... | - | --check FILE... | --csv FILE]</source>
            <translation>[番号... | - | --check ファイル... | --csv ファイル]</translation>
        </message>
        <message>
            <source>NUMBER</source>
            <translation>番号</translation>
        </message>
        <message>
            <source>A number to look up; - reads numbers from standard input. With --check: a data file.</source>
            <translation>調べる番号。- を指定すると、標準入力から番号を読みます。--check のときはデータファイル。</translation>
        </message>
        <message>
            <source>With *--csv*: write to _FILE_ instead of standard output. A regular file, or a new one, gets the output whole or not at all: it is written to a temporary file beside _FILE_ (unnamed where the file system allows, else named ._FILE_._XXXXXX_), which takes the name only once the list was read and written whole. A list that cannot be read whole or that changes while it is read, a full disk, a file grown past the size limit, SIGHUP, SIGINT, SIGQUIT and SIGTERM leave nothing under the name or beside it, and a file that was there as it was; only a run killed outright (SIGKILL) on a file system without unnamed files may leave its temporary file. A file replaced keeps its owner (where the user may give it) and its permissions; a symbolic link is followed, and kept. A _FILE_ that exists and is not a regular file (a FIFO, a device such as _/dev/null_) is written through, as the shell's *&gt;* writes it, and never replaced; whole or not at all cannot hold there.

Refused, with nothing written: the list itself, by any name (*./*_FILE_, a symbolic or a hard link, the file standard input is); a file its owner made read-only, even for root; a folder; a workbook's copy under a name ending _.csv_, _.tsv_ or _.txt_, and a text list's rows under a name ending _.xlsx_, _.xlsm_, _.xls_ or _.xlsb_ (a name ending otherwise is taken as given); a terminal for a workbook. Where no file can be made in _FILE_'s folder, _FILE_ is not written in place either: the error names the folder.</source>
            <translation>*--csv* と一緒に使います。標準出力の代わりに _ファイル_ に書き出します。通常のファイルや新しいファイルには、全部を書き出すか、何も書き出さないかのどちらかです。まず _ファイル_ と同じフォルダーの一時ファイル（ファイルシステムが許せば名前のないもの、そうでなければ ._ファイル_._XXXXXX_）に書き、一覧を全部読んで全部書けたときにだけ、その名前にします。一覧が全部は読めないときや読む間に変わったとき、ディスクがいっぱいのとき、ファイルがサイズの上限を超えたとき、SIGHUP、SIGINT、SIGQUIT、SIGTERM のときは、その名前にもその横にも何も残さず、元からあったファイルはそのままです。名前のないファイルを作れないファイルシステムで強制終了（SIGKILL）されたときだけ、一時ファイルが残ることがあります。置き換えたファイルは所有者（利用者が渡せる場合）と許可属性を保ちます。シンボリックリンクはたどり、リンクはそのまま残します。すでにあって通常のファイルではない _ファイル_（FIFO や _/dev/null_ のようなデバイス）には、シェルの *&gt;* と同じようにそのまま書き込み、置き換えません。そこでは全部か何もなしかは守れません。

次のときは何も書かずに断ります。どの名前（*./*_ファイル_、シンボリックリンク、ハードリンク、標準入力のファイル）で指しても一覧そのもの。所有者が読み取り専用にしたファイル（root でも）。フォルダー。ブックのコピーを _.csv_、_.tsv_、_.txt_ で終わる名前に、テキストの一覧の行を _.xlsx_、_.xlsm_、_.xls_、_.xlsb_ で終わる名前に書くとき（ほかの終わり方の名前は指定のとおりに使います）。ブックを端末に書くとき。_ファイル_ のフォルダーにファイルを作れないときは、_ファイル_ にも直接は書かず、エラーでそのフォルダーを示します。</translation>
        </message>
        <message>
            <source>With *--csv*: say on standard error what each row got besides its carrier, not just what the whole list got.</source>
            <translation>*--csv* と一緒に使います。一覧全体の集計だけでなく、各行がキャリアのほかに受けた注記も標準エラー出力に表示します。</translation>
        </message>
        <message>
            <source>With *--csv*: say on standard error, after each row, what it got besides its carrier (the note the list's 備考 column holds), as

*zunova: *_FILE_*:*_LINE_*: *_NUMBER_*: *_text_

Without it the run says only once which sheet, header and column it read the list with, and how many rows got each carrier, a warning, an error or no number.</source>
            <translation>*--csv* と一緒に使います。各行がキャリアのほかに受けた注記（一覧の 備考 列に入るもの）を、行ごとに標準エラー出力へ次の形で表示します。

*zunova: *_ファイル_*:*_行_*: *_番号_*: *_文_

付けないときは、一覧をどのシート、見出し、列で読んだかと、キャリアごと・警告・エラー・番号なしの行数を、一度だけ表示します。</translation>
        </message>
        <message>
            <source>Tells which carrier a Japanese mobile number belongs to.
With no arguments, opens the window.

  zunova NUMBER...        look each number up as the window does, reading k.dat
                          (090) and p.dat (070) from the working directory
  zunova -                the same for numbers on standard input, one a line
  zunova --check FILE...  report every problem of data files
  zunova --csv FILE       add the carrier and a note to every row of a list
                          (- reads standard input)

A number may be written as people write it: 090-1234-5678, (090) 1234 5678
and full-width digits all read as 09012345678.
Each number gets one line on standard output: the number as given (control
characters and bytes that are not UTF-8 shown as \xNN), a tab and the
carrier. Where the window would warn or report an error, the carrier is
empty and standard error says why: "zunova: NUMBER: TEXT". Put -- before a
number that begins with -.
The two warnings: "１１桁で入力してください。" (enter 11 digits): the number
is not 11 characters long; "移動電話の番号ではありません。" (not a mobile
number): it does not begin 090 or 070. 080 numbers are not looked up: they
get the second warning.
The carrier is the one the number's block was first allocated to: a number
moved to another carrier by number portability still shows the first one.
The p.dat of the sources (samples/p.dat) is illustrative: its 070 answers
are not real.
--check reads each file as a lookup would and reports its problems on
standard error as "FILE:LINE: TEXT", with a summary on standard output.
--csv reads a list: one number a line, or rows delimited by commas, tabs or
semicolons (quoted as in RFC 4180), in UTF-8, UTF-16 with a byte-order mark
or Shift_JIS. It writes each row to standard output in the list's own
encoding, delimiter and line ends, with two fields added after its last one:
the carrier and a note, such as why the row got none. The header is the row
of names just above the first rows of numbers: it gets "キャリア" and "備考",
and rows above it are written as they are. The number column is the one with
the most mobile numbers (one whose header names someone else's number, such
as an emergency contact's, only where no other has any), unless --column
names another. Standard error gets one line: the header and column read and
how many rows got each carrier, a warning, an error or no number; -v adds a
line "zunova: FILE:LINE: NUMBER: TEXT" for each row with a note.
An Excel workbook (.xlsx, .xlsm) comes back as a copy of itself with a
キャリア column (and a 備考 column of notes) added to its sheet, every other
part kept; the sheet is the one shown as a tab with the most mobile numbers,
unless --sheet names another. A workbook is not written to a terminal.

Exit status: 0 when every number got a carrier, a list was read and written
whole and some row got a carrier, or every file checked is clean; 1 when
some number did not get one, no row of a list did, or a file checked has
problems; 2 for trouble: a usage error, a list or data file that could not be
read whole, output that did not arrive.</source>
            <translation>日本の携帯電話番号がどのキャリアのものかを調べます。
引数を付けずに起動すると、ウィンドウを開きます。

  zunova 番号...              各番号をウィンドウと同じように調べます。作業
                              ディレクトリーの k.dat（090）と p.dat（070）
                              を読みます
  zunova -                    標準入力の番号（1 行に一つ）を同じように調べます
  zunova --check ファイル...  データファイルの問題をすべて報告します
  zunova --csv ファイル       一覧の各行にキャリアと備考を加えます（- は標準
                              入力）

番号は人が書くとおりに書けます。090-1234-5678、(090) 1234 5678、全角数字はどれ
も 09012345678 と読みます。
各番号について、標準出力に 1 行を書きます。指定されたとおりの番号（制御文字と
UTF-8 でないバイトは \xNN と表示）、タブ、キャリアです。ウィンドウなら警告やエ
ラーを出すところでは、キャリアを空にし、標準エラー出力に理由を
「zunova: 番号: 文」の形で書きます。- で始まる番号の前には -- を置きます。
警告は二つあります。「１１桁で入力してください。」は番号が 11 文字でないとき、
「移動電話の番号ではありません。」は 090 でも 070 でも始まらないときです。
080 で始まる番号は調べずに、この 2 番目の警告を出します。
キャリアは、番号のブロックが最初に割り当てられたキャリアです。番号ポータビリ
ティーで別のキャリアに移った番号にも、最初のキャリアを表示します。
ソースにある p.dat（samples/p.dat）は説明のための例で、070 の番号に対する答え
は実際のものではありません。
--check は各ファイルを検索と同じように読み、問題を標準エラー出力に
「ファイル:行: 文」の形で、要約を標準出力に書きます。
--csv は一覧を読みます。一覧は 1 行に番号一つのもの、またはコンマ、タブ、セミ
コロンで区切った行（RFC 4180 のとおりに引用符で囲めます）で、文字コードは
UTF-8、バイト順マーク付きの UTF-16、Shift_JIS のどれかです。各行を、一覧自身の
文字コード、区切り文字、改行のまま、最後のフィールドの後にキャリアと備考（キャ
リアが付かなかったわけなど）の二つのフィールドを加えて標準出力に書きます。見出
しは、番号が並ぶ最初の行のすぐ上にある名前の行で、「キャリア」と「備考」を加え
ます。その上の行はそのまま書きます。番号の列は携帯電話の番号が最も多い列で（緊
急連絡先や勤務先など、ほかの人の番号を示す見出しの列は、ほかのどの列にも携帯電
話の番号がないときだけ）、--column で別の列を指定できます。標準エラー出力に
は、読んだ見出しと列、キャリアごと・警告・エラー・番号なしの行数を 1 行で書き
ます。-v を付けると、備考のある行ごとに「zunova: ファイル:行: 番号: 文」も書き
ます。
Excel のブック（.xlsx、.xlsm）は、シートに キャリア の列（と備考の 備考 の列）
を加え、ほかの部分はそのままにした写しになります。シートは、タブとして表示され
るシートのうち携帯電話の番号が最も多いもので、--sheet で別のシートを指定できま
す。ブックは端末には書き出しません。

終了ステータス: どの番号にもキャリアが付いた、一覧を最後まで読んで書き出して少
なくとも 1 行にキャリアが付いた、またはどのファイルにも問題がないときは 0、
キャリアが付かなかった番号がある、一覧のどの行にもキャリアが付かなかった、また
はファイルに問題があるときは 1、トラブル（使い方の誤り、最後まで読めなかった一
覧やデータファイル、届かなかった出力）のときは 2 です。</translation>
        </message>
    </context>
</TS>
