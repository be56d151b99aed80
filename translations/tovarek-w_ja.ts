<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>Board</name>
    <message>
        <source>Board</source>
        <translation>ボード</translation>
    </message>
</context>
<context>
    <name>ColorEditor</name>
    <message>
        <source>Color code</source>
        <translation>色のコード</translation>
    </message>
    <message>
        <source>color</source>
        <translation>色</translation>
    </message>
    <message>
        <source>%1 code</source>
        <translation>%1のコード</translation>
    </message>
</context>
<context>
    <name>Files</name>
    <message>
        <source>it is not a PDF document</source>
        <translation>PDF 文書ではありません</translation>
    </message>
    <message>
        <source>the PDF document is damaged</source>
        <translation>PDF 文書が壊れています</translation>
    </message>
    <message>
        <source>the PDF document is protected by a password</source>
        <translation>PDF 文書はパスワードで保護されています</translation>
    </message>
    <message>
        <source>the PDF reader cannot be loaded (%1)</source>
        <translation>PDF を読む部品を読み込めません (%1)</translation>
    </message>
    <message>
        <source>the PDF document has no pages</source>
        <translation>PDF 文書にページがありません</translation>
    </message>
    <message>
        <source>the PDF document has no such page</source>
        <translation>PDF 文書にそのページはありません</translation>
    </message>
    <message>
        <source>a page of the PDF document cannot be shown</source>
        <translation>PDF 文書のページを表示できません</translation>
    </message>
    <message>
        <source>Unable to write to %1</source>
        <translation>%1 に書き込めません</translation>
    </message>
    <message>
        <source>The printer cannot be used.</source>
        <translation>プリンターを使えません。</translation>
    </message>
    <message>
        <source>it is larger than %1 MiB, too large for a word list</source>
        <translation>%1 MiB を超えていて、単語リストとしては大きすぎます</translation>
    </message>
    <message>
        <source>it could not be read when last tried</source>
        <translation>前回読み込めなかったファイルです</translation>
    </message>
    <message>
        <source>there is not enough memory to read it</source>
        <translation>読み込むためのメモリーが足りません</translation>
    </message>
    <message>
        <source>the file does not exist</source>
        <translation>ファイルがありません</translation>
    </message>
    <message>
        <source>the program is not allowed to read it</source>
        <translation>読み込む権限がありません</translation>
    </message>
    <message>
        <source>its links lead round in a circle</source>
        <translation>リンクが循環しています</translation>
    </message>
    <message>
        <source>no file name was given</source>
        <translation>ファイル名が指定されていません</translation>
    </message>
    <message>
        <source>it is a folder, not a file</source>
        <translation>ファイルではなくフォルダーです</translation>
    </message>
    <message>
        <source>it is not an ordinary file</source>
        <translation>通常のファイルではありません</translation>
    </message>
    <message>
        <source>Cannot open &quot;%1&quot;: %2.</source>
        <translation>「%1」を開けません: %2。</translation>
    </message>
    <message>
        <source>Cannot save &quot;%1&quot;: %2.</source>
        <translation>「%1」を保存できません: %2。</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>ファイルが大きすぎます</translation>
    </message>
    <message>
        <source>the folder does not exist</source>
        <translation>フォルダーがありません</translation>
    </message>
    <message>
        <source>a folder of that name exists</source>
        <translation>同じ名前のフォルダーがあります</translation>
    </message>
    <message>
        <source>the data could not be written</source>
        <translation>データを書き込めませんでした</translation>
    </message>
    <message>
        <source>the name has no extension that says what kind of picture it is</source>
        <translation>名前に画像の種類を示す拡張子がありません</translation>
    </message>
    <message>
        <source>the program does not save %1 files (it knows JPEG, PNG, BMP, TGA and PSD)</source>
        <translation>%1 ファイルの保存には対応していません（対応形式: JPEG、PNG、BMP、TGA、PSD）</translation>
    </message>
    <message>
        <source>the program does not read %1 files (it knows JPEG, PNG, BMP, TGA and PSD)</source>
        <translation>%1 ファイルの読み込みには対応していません（対応形式: JPEG、PNG、BMP、TGA、PSD）</translation>
    </message>
    <message>
        <source>the file is damaged or is not a picture the program can read (%1)</source>
        <translation>ファイルが壊れているか、読み込める画像ではありません（%1）</translation>
    </message>
    <message>
        <source>the file holds no picture</source>
        <translation>ファイルに画像が入っていません</translation>
    </message>
    <message>
        <source>there is no picture to save</source>
        <translation>保存する画像がありません</translation>
    </message>
    <message>
        <source>indexed colour</source>
        <translation>インデックスカラー</translation>
    </message>
    <message>
        <source>multichannel</source>
        <translation>マルチチャンネル</translation>
    </message>
    <message>
        <source>duotone</source>
        <translation>ダブルトーン</translation>
    </message>
    <message>
        <source>Lab colour</source>
        <translation>Lab カラー</translation>
    </message>
    <message>
        <source>colour mode %1</source>
        <translation>カラーモード %1</translation>
    </message>
    <message>
        <source>the file is incomplete or damaged</source>
        <translation>ファイルが不完全か壊れています</translation>
    </message>
    <message>
        <source>this is not a Photoshop document</source>
        <translation>Photoshop のドキュメントではありません</translation>
    </message>
    <message>
        <source>this Photoshop document format (version %1) is not supported</source>
        <translation>この Photoshop ドキュメント形式（バージョン %1）には対応していません</translation>
    </message>
    <message>
        <source>this PSD file uses a colour mode the program cannot read (%1)</source>
        <translation>この PSD ファイルは読み込めないカラーモードを使っています（%1）</translation>
    </message>
    <message>
        <source>this PSD file uses %1-bit channels, which the program cannot read</source>
        <translation>この PSD ファイルは %1 ビットのチャンネルを使っていて、読み込めません</translation>
    </message>
    <message>
        <source>the picture has no pixels</source>
        <translation>画像に画素がありません</translation>
    </message>
    <message>
        <source>the picture is too large (%1 x %2 pixels)</source>
        <translation>画像が大きすぎます（%1 x %2 ピクセル）</translation>
    </message>
    <message>
        <source>this PSD file uses a colour table the program cannot read</source>
        <translation>この PSD ファイルは読み込めないカラーテーブルを使っています</translation>
    </message>
    <message>
        <source>the file is incomplete: it holds no merged picture</source>
        <translation>ファイルが不完全です: 統合された画像が入っていません</translation>
    </message>
    <message>
        <source>its merged picture is compressed with ZIP, which the program cannot read</source>
        <translation>統合画像が ZIP で圧縮されていて、読み込めません</translation>
    </message>
    <message>
        <source>the file is too short for the picture its header describes (%1 x %2 pixels)</source>
        <translation>ヘッダーに書かれた画像（%1 x %2 ピクセル）に対してファイルが短すぎます</translation>
    </message>
    <message>
        <source>there is not enough memory for a picture of %1 x %2 pixels</source>
        <translation>%1 x %2 ピクセルの画像を読み込むメモリーが足りません</translation>
    </message>
    <message>
        <source>a PSD file cannot hold a picture wider or taller than %1 pixels</source>
        <translation>PSD ファイルには幅または高さが %1 ピクセルを超える画像を保存できません</translation>
    </message>
    <message>
        <source>this TGA file uses a colour format the program cannot read (%1)</source>
        <translation>この TGA ファイルは読み込めない色形式を使っています（%1）</translation>
    </message>
    <message>
        <source>the file is too short to be a TGA picture</source>
        <translation>TGA 画像としてはファイルが短すぎます</translation>
    </message>
    <message>
        <source>%1-bit colour map</source>
        <translation>%1 ビットのカラーマップ</translation>
    </message>
    <message>
        <source>greyscale</source>
        <translation>グレースケール</translation>
    </message>
    <message>
        <source>this is not a TGA picture the program can read</source>
        <translation>読み込める TGA 画像ではありません</translation>
    </message>
    <message>
        <source>%1-bit colour</source>
        <translation>%1 ビットカラー</translation>
    </message>
    <message>
        <source>a TGA file cannot hold a picture wider or taller than 65535 pixels</source>
        <translation>TGA ファイルには幅または高さが 65535 ピクセルを超える画像を保存できません</translation>
    </message>
</context>
<context>
    <name>KeptStrokes</name>
    <message>
        <source>SQLite cannot be loaded (%1)</source>
        <translation>SQLite を読み込めません (%1)</translation>
    </message>
    <message>
        <source>Drawing goes on; strokes are kept only until the program ends.</source>
        <translation>このまま描けますが、線はプログラムを終了するまでしか残りません。</translation>
    </message>
    <message>
        <source>Strokes cannot be kept: the folder %1 cannot be made. </source>
        <translation>線を保存できません: フォルダー %1 を作れません。</translation>
    </message>
    <message>
        <source>Strokes cannot be kept in %1: the file is damaged and cannot be moved aside. </source>
        <translation>%1 に線を保存できません: ファイルが壊れていて、退避もできません。</translation>
    </message>
    <message>
        <source>%1 was not a file of kept strokes: it was moved aside as %2 and a new one was started.</source>
        <translation>%1 は線の保存ファイルではなかったため、%2 として退避し、新しいファイルを作りました。</translation>
    </message>
    <message>
        <source>The file of kept strokes %1 was damaged: it was moved aside as %2 and a new one was started.</source>
        <translation>線の保存ファイル %1 が壊れていたため、%2 として退避し、新しいファイルを作りました。</translation>
    </message>
    <message>
        <source>Strokes cannot be kept in %1: %2. </source>
        <translation>%1 に線を保存できません: %2。</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>ディスクがいっぱいです</translation>
    </message>
    <message>
        <source>the file or its folder may only be read</source>
        <translation>ファイルまたはフォルダーが読み取り専用です</translation>
    </message>
    <message>
        <source>another program is using the file</source>
        <translation>ほかのプログラムがファイルを使っています</translation>
    </message>
    <message>
        <source>the file is damaged</source>
        <translation>ファイルが壊れています</translation>
    </message>
    <message>
        <source>there is not enough memory</source>
        <translation>メモリーが足りません</translation>
    </message>
    <message>
        <source>the disk could not be read or written</source>
        <translation>ディスクの読み書きができませんでした</translation>
    </message>
    <message>
        <source>the file cannot be opened or made</source>
        <translation>ファイルを開くことも作ることもできません</translation>
    </message>
    <message>
        <source>a record is missing</source>
        <translation>記録が一つ欠けています</translation>
    </message>
    <message>
        <source>a move names a stroke after it</source>
        <translation>移動の記録が後の線を指しています</translation>
    </message>
    <message>
        <source>records are missing</source>
        <translation>記録が欠けています</translation>
    </message>
    <message>
        <source>Kept strokes cannot be read: %1.</source>
        <translation>保存した線を読み込めません: %1。</translation>
    </message>
    <message>
        <source>Some kept strokes were damaged (%1): the %2 strokes before them are back, the rest were left out.</source>
        <translation>保存した線の一部が壊れていました（%1）。その前の %2 本の線を戻し、残りは読み込みませんでした。</translation>
    </message>
    <message>
        <source>Strokes can no longer be kept in %1: %2. Drawing goes on; strokes drawn from now on are kept only until the program ends.</source>
        <translation>%1 に線を保存できなくなりました: %2。このまま描けますが、これから描く線はプログラムを終了するまでしか残りません。</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>Unable to write to %1</source>
        <translation>%1 に書き込めません</translation>
    </message>
</context>
<context>
    <name>StartUp</name>
    <message>
        <source>TOVAREK W starting</source>
        <translation>TOVAREK W を起動しています</translation>
    </message>
</context>
<context>
    <name>TAboutDlg</name>
    <message>
        <source>About This Application</source>
        <translation>このアプリケーションについて</translation>
    </message>
    <message>
        <source>Made for the classroom by ORVEN PROJECT</source>
        <translation>ORVEN PROJECT が教室のために作りました</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TPenSetupDlg</name>
    <message>
        <source>Solid</source>
        <translation>実線</translation>
    </message>
    <message>
        <source>Dash</source>
        <translation>破線</translation>
    </message>
    <message>
        <source>Dot</source>
        <translation>点線</translation>
    </message>
    <message>
        <source>DashDot</source>
        <translation>一点鎖線</translation>
    </message>
    <message>
        <source>DashDot2</source>
        <translation>二点鎖線</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
</context>
<context>
    <name>TSetupDlg</name>
    <message>
        <source>Setup</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>Stock Pen</source>
        <translation>登録ペン</translation>
    </message>
    <message>
        <source>ToolBar</source>
        <translation>ツールバー</translation>
    </message>
    <message>
        <source>Pen Setup</source>
        <translation>ペン設定</translation>
    </message>
    <message>
        <source>File</source>
        <translation>ファイル</translation>
    </message>
    <message>
        <source>Detailed</source>
        <translation>詳細</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>初期設定</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Default Image Format</source>
        <translation>保存する画像の形式</translation>
    </message>
    <message>
        <source>JPEG Format</source>
        <translation>JPEG 形式</translation>
    </message>
    <message>
        <source>PNG Format</source>
        <translation>PNG 形式</translation>
    </message>
    <message>
        <source>BMP Format</source>
        <translation>BMP 形式</translation>
    </message>
    <message>
        <source>TGA Format</source>
        <translation>TGA 形式</translation>
    </message>
    <message>
        <source>PSD (Pen Layer)</source>
        <translation>PSD（ペンレイヤー付き）</translation>
    </message>
    <message>
        <source>JPEG Quarity</source>
        <translation>JPEG の画質</translation>
    </message>
    <message>
        <source>Replay</source>
        <translation>再生</translation>
    </message>
    <message>
        <source> ms a stroke</source>
        <translation> ミリ秒/画</translation>
    </message>
    <message>
        <source>Default Image Folder</source>
        <translation>画像の保存先フォルダー</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>参照…</translation>
    </message>
    <message>
        <source>Pen Smoothing</source>
        <translation>線をなめらかにする</translation>
    </message>
    <message>
        <source>Maximize at Starup</source>
        <translation>起動時に最大化する</translation>
    </message>
    <message>
        <source>White Board</source>
        <translation>ホワイトボード</translation>
    </message>
    <message>
        <source>Background Color</source>
        <translation>背景の色</translation>
    </message>
    <message>
        <source>Line Color</source>
        <translation>罫線の色</translation>
    </message>
    <message>
        <source>White board color</source>
        <translation>ホワイトボードの色</translation>
    </message>
    <message>
        <source>Horizontal Grid</source>
        <translation>横罫線の間隔</translation>
    </message>
    <message>
        <source>Vertical Grid</source>
        <translation>縦罫線の間隔</translation>
    </message>
    <message>
        <source>Pen Order Number Font</source>
        <translation>書き順の番号のフォント</translation>
    </message>
    <message>
        <source>Pen Order BkImage Font</source>
        <translation>書き順のお手本のフォント</translation>
    </message>
    <message>
        <source>Image List Max Count</source>
        <translation>一覧に並べる画像の最大数</translation>
    </message>
    <message>
        <source>Pen width as seen on the screen</source>
        <translation>見た目の太さで描く</translation>
    </message>
    <message>
        <source>Share thumbnails</source>
        <translation>サムネイルを共有する</translation>
    </message>
    <message>
        <source>Keep the picture list&apos;s thumbnails where file managers find them, and use theirs</source>
        <translation>画像一覧のサムネイルをファイルマネージャーと共通の場所に保存し、ファイルマネージャーが作ったものも使います</translation>
    </message>
    <message>
        <source>Keep strokes after closing</source>
        <translation>終了後も線を残す</translation>
    </message>
    <message>
        <source>Forget kept strokes</source>
        <translation>残した線をすべて消す</translation>
    </message>
    <message>
        <source>Stock pen kind</source>
        <translation>登録ペンの種類</translation>
    </message>
    <message>
        <source>Pen</source>
        <translation>ペン</translation>
    </message>
    <message>
        <source>Marker</source>
        <translation>マーカー</translation>
    </message>
    <message>
        <source>Rainbow Pen</source>
        <translation>虹色ペン</translation>
    </message>
    <message>
        <source>Rainbow Marker</source>
        <translation>虹色マーカー</translation>
    </message>
    <message>
        <source>Single Arrow</source>
        <translation>矢印</translation>
    </message>
    <message>
        <source>Both Arrows</source>
        <translation>両矢印</translation>
    </message>
    <message>
        <source>Single Arrrow Marker</source>
        <translation>矢印（マーカー）</translation>
    </message>
    <message>
        <source>Both Arrows Marker</source>
        <translation>両矢印（マーカー）</translation>
    </message>
    <message>
        <source>Brush</source>
        <translation>筆</translation>
    </message>
    <message>
        <source>Pen Order</source>
        <translation>書き順ペン</translation>
    </message>
    <message>
        <source>Stock pen color</source>
        <translation>登録ペンの色</translation>
    </message>
    <message>
        <source>Stock pen thickness</source>
        <translation>登録ペンの太さ</translation>
    </message>
    <message>
        <source>Stock pen line</source>
        <translation>登録ペンの線の種類</translation>
    </message>
    <message>
        <source>Solid</source>
        <translation>実線</translation>
    </message>
    <message>
        <source>Dash</source>
        <translation>破線</translation>
    </message>
    <message>
        <source>Dot</source>
        <translation>点線</translation>
    </message>
    <message>
        <source>DashDot</source>
        <translation>一点鎖線</translation>
    </message>
    <message>
        <source>DashDotDot</source>
        <translation>二点鎖線</translation>
    </message>
    <message>
        <source>Pen Color</source>
        <translation>ペンの色</translation>
    </message>
    <message>
        <source>Pen color</source>
        <translation>ペンの色</translation>
    </message>
    <message>
        <source>Pen Thickness</source>
        <translation>ペンの太さ</translation>
    </message>
    <message>
        <source>All commands</source>
        <translation>すべてのコマンド</translation>
    </message>
    <message>
        <source>Tool bar</source>
        <translation>ツールバー</translation>
    </message>
    <message>
        <source>Pen pressure</source>
        <translation>筆圧を使う</translation>
    </message>
</context>
<context>
    <name>TWBDMainFrm</name>
    <message>
        <source>Previous pictures</source>
        <translation>前の画像</translation>
    </message>
    <message>
        <source>Next pictures</source>
        <translation>次の画像</translation>
    </message>
    <message>
        <source>Pictures</source>
        <translation>画像一覧</translation>
    </message>
    <message>
        <source>Tool bar</source>
        <translation>ツールバー</translation>
    </message>
    <message>
        <source>White board</source>
        <translation>ホワイトボード</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>書き出し</translation>
    </message>
    <message>
        <source>Export every picture of the list with its strokes:
as one PDF file, or as a picture file each in a folder?</source>
        <translation>一覧のすべての画像を線と一緒に書き出します。
1 つの PDF ファイルにしますか、それとも 1 枚ずつ画像ファイルとしてフォルダーに書き出しますか?</translation>
    </message>
    <message>
        <source>PDF file ...</source>
        <translation>PDF ファイル…</translation>
    </message>
    <message>
        <source>Folder ...</source>
        <translation>フォルダー…</translation>
    </message>
    <message>
        <source>Export as PDF</source>
        <translation>PDF に書き出し</translation>
    </message>
    <message>
        <source>Export into a folder</source>
        <translation>フォルダーに書き出し</translation>
    </message>
    <message>
        <source>Exporting ...</source>
        <translation>書き出しています…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Printing is not available: %1</source>
        <translation>印刷できません: %1</translation>
    </message>
    <message>
        <source>The export failed: %1
Nothing was written.</source>
        <translation>書き出しに失敗しました: %1
何も書き出していません。</translation>
    </message>
    <message>
        <source>Exported %1 page(s) to &quot;%2&quot;</source>
        <translation>%1 ページを「%2」に書き出しました</translation>
    </message>
    <message>
        <source>
The strokes stay on the board until the program closes.</source>
        <translation>
線はプログラムを閉じるまでボードに残ります。</translation>
    </message>
    <message>
        <source>Forget the strokes kept for every picture, word and the white board?
The strokes on the board now stay until the program closes.</source>
        <translation>すべての画像、単語、ホワイトボードについて残した線を消しますか?
いまボードにある線は、プログラムを閉じるまで残ります。</translation>
    </message>
    <message>
        <source>The program did not close properly last time: the lesson is back with its strokes.</source>
        <translation>前回プログラムが正しく終了しなかったため、授業の内容を線と一緒に元に戻しました。</translation>
    </message>
    <message>
        <source>All Files</source>
        <translation>すべてのファイル</translation>
    </message>
    <message>
        <source>Text File</source>
        <translation>テキストファイル</translation>
    </message>
    <message>
        <source>Image Open</source>
        <translation>画像を開く</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; cannot be read, so its pictures are not listed.</source>
        <translation>フォルダー「%1」を読み込めないため、画像を一覧にできません。</translation>
    </message>
    <message>
        <source>The %1 images were listed. </source>
        <translation>%1 枚の画像を一覧にしました。</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; does not exist.</source>
        <translation>フォルダー「%1」がありません。</translation>
    </message>
    <message>
        <source>There is no picture folder (&quot;%1&quot; does not exist).</source>
        <translation>ピクチャフォルダーがありません（「%1」がありません）。</translation>
    </message>
    <message>
        <source>Saved &quot;%1&quot; in &quot;%2&quot;</source>
        <translation>「%1」を「%2」に保存しました</translation>
    </message>
    <message>
        <source>Image Save As</source>
        <translation>名前を付けて画像を保存</translation>
    </message>
    <message>
        <source>&quot;%1&quot; already exists.
Do you want to replace it?</source>
        <translation>「%1」はすでにあります。
置き換えますか?</translation>
    </message>
    <message>
        <source>The word list &quot;%1&quot; holds no words, so nothing was changed.</source>
        <translation>単語リスト「%1」に単語がないため、何も変更しませんでした。</translation>
    </message>
</context>
<context>
    <name>ToolBar</name>
    <message>
        <source>Eraser</source>
        <translation>消しゴム</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>移動</translation>
    </message>
    <message>
        <source>Erase All</source>
        <translation>全部消す</translation>
    </message>
    <message>
        <source>Open ...</source>
        <translation>開く…</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Save As ...</source>
        <translation>別名保存…</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>元に戻す</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>やり直し</translation>
    </message>
    <message>
        <source>Zoom+</source>
        <translation>拡大</translation>
    </message>
    <message>
        <source>Zoom-</source>
        <translation>縮小</translation>
    </message>
    <message>
        <source>W-Board</source>
        <translation>ホワイトボード</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>次へ</translation>
    </message>
    <message>
        <source>Prev</source>
        <translation>前へ</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>全体表示</translation>
    </message>
    <message>
        <source>Menu ...</source>
        <translation>メニュー…</translation>
    </message>
    <message>
        <source>Multi View</source>
        <translation>2画面表示</translation>
    </message>
    <message>
        <source>Turn Right</source>
        <translation>右に回転</translation>
    </message>
    <message>
        <source>Turn Left</source>
        <translation>左に回転</translation>
    </message>
    <message>
        <source>Lasso</source>
        <translation>投げなわ</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>情報</translation>
    </message>
    <message>
        <source>Setup ...</source>
        <translation>設定…</translation>
    </message>
    <message>
        <source>Pen Setup</source>
        <translation>ペン設定</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>Desktop</source>
        <translation>デスクトップ</translation>
    </message>
    <message>
        <source>Export ...</source>
        <translation>書き出し…</translation>
    </message>
    <message>
        <source>Print ...</source>
        <translation>印刷…</translation>
    </message>
    <message>
        <source>Replay</source>
        <translation>再生</translation>
    </message>
    <message>
        <source>Pen</source>
        <translation>ペン</translation>
    </message>
    <message>
        <source>Marker</source>
        <translation>マーカー</translation>
    </message>
    <message>
        <source>Arrow</source>
        <translation>矢印</translation>
    </message>
    <message>
        <source>Arrow Both</source>
        <translation>両矢印</translation>
    </message>
    <message>
        <source>Brush</source>
        <translation>筆</translation>
    </message>
    <message>
        <source>Pen Order</source>
        <translation>書き順</translation>
    </message>
    <message>
        <source>Stock Pen</source>
        <translation>登録ペン</translation>
    </message>
</context>
</TS>
