<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
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
        <source>no column is named &apos;%1&apos;</source>
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
        <source>no sheet is named &apos;%1&apos;</source>
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
        <source>a part of the workbook in an XML encoding this program does not read (it reads UTF-8, UTF-16 and ISO-8859-1)</source>
        <translation>ブックの中に、このプログラムが読めない文字コードの XML があります（読めるのは UTF-8、UTF-16、ISO-8859-1 です）。</translation>
    </message>
    <message>
        <source>a workbook larger inside than this program reads: more than %1 parts, %2 sheets, or %3 MiB of sheets to look through</source>
        <translation>ブックの中身が大きすぎて読めません（部分が %1 個、シートが %2 枚、または調べるシートが %3 MB を超えています）。</translation>
    </message>
    <message>
        <source>no room for the new columns: the sheet&apos;s cells reach its last column</source>
        <translation>新しい列を加える場所がありません（シートの最後の列まで使われています）。</translation>
    </message>
    <message>
        <source>the workbook&apos;s copy could not be made</source>
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
</context>
</TS>
