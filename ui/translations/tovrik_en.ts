<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>トヴリクのバージョン情報</source>
        <translation>About Tovrik</translation>
    </message>
    <message>
        <source>さん用トヴリク</source>
        <translation>&apos;s Tovrik</translation>
    </message>
    <message>
        <source>使用者名</source>
        <translation>Owner name</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>所有者キーが未設定のため、ほかの設定を知る人なら誰でも同じパスワードを作れます。</source>
        <translation>No owner key is set: anyone who knows your other settings can make the same passwords.</translation>
    </message>
</context>
<context>
    <name>COwnerKeyDlg</name>
    <message>
        <source>所有者キーの設定</source>
        <translation>Owner Key</translation>
    </message>
    <message>
        <source>所有者キーは、すべてのパスワードに混ぜる秘密の文字列です。キーを変えると、すべてのパスワードが変わります。</source>
        <translation>The owner key is a secret text mixed into every password. Every password changes with the key.</translation>
    </message>
    <message>
        <source>%1 ビット以上の強さを勧めます。たとえば、ダイスウェアの単語 %2 個を空白で区切ったもの、またはランダムな英数字 %3 文字です。</source>
        <translation>A strength of %1 bits or more is advised: for example %2 random diceware words separated by spaces, or %3 random letters and digits.</translation>
    </message>
    <message>
        <source>所有者キー(&amp;K)</source>
        <translation>Owner &amp;key</translation>
    </message>
    <message>
        <source>もう一度(&amp;R)</source>
        <translation>&amp;Repeat</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>強さ: 約 %1 ビット（勧める %2 ビットに足りません）</source>
        <translation>Strength: about %1 bits (below the %2 advised)</translation>
    </message>
    <message>
        <source>強さ: 約 %1 ビット</source>
        <translation>Strength: about %1 bits</translation>
    </message>
    <message>
        <source>所有者キーが空です。空のキーでは、ほかの設定を知る人なら誰でも同じパスワードを作れます。</source>
        <translation>The owner key is empty. With an empty key, anyone who knows your other settings can make the same passwords.</translation>
    </message>
    <message>
        <source>所有者キーに制御文字（タブ、改行など）は使えません。</source>
        <translation>An owner key cannot hold control characters (a tab, a line break, ...).</translation>
    </message>
    <message>
        <source>2 回入力したキーが違います。もう一度入力してください。</source>
        <translation>The two keys differ. Please type the key again.</translation>
    </message>
    <message>
        <source>この所有者キーの強さは約 %1 ビットで、勧める %2 ビットに足りません。パスワードが一つ漏れると、キーを手元で総当たりされるおそれがあります。</source>
        <translation>This owner key has about %1 bits of strength, below the %2 advised. One leaked password lets an attacker try keys offline.</translation>
    </message>
    <message>
        <source>このキーにする(&amp;S)</source>
        <translation>&amp;Set this key</translation>
    </message>
    <message>
        <source>所有者キー</source>
        <translation>Owner key</translation>
    </message>
    <message>
        <source>所有者キーの確認</source>
        <translation>Owner key, repeated</translation>
    </message>
</context>
<context>
    <name>CVeldraDlg</name>
    <message>
        <source>保存先: %1</source>
        <translation>Settings: %1</translation>
    </message>
    <message>
        <source>バージョン情報 (&amp;A)...</source>
        <translation>&amp;About Tovrik...</translation>
    </message>
    <message>
        <source>削</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>割</source>
        <translation>×2</translation>
    </message>
    <message>
        <source>文字列</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>数字</source>
        <translation>Numbers</translation>
    </message>
    <message>
        <source>生成パスワード</source>
        <translation>Passwords</translation>
    </message>
    <message>
        <source>基本設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>種モード</source>
        <translation>Seed mode</translation>
    </message>
    <message>
        <source>生成</source>
        <translation>Create</translation>
    </message>
    <message>
        <source>文字数</source>
        <translation>Length</translation>
    </message>
    <message>
        <source>複雑性</source>
        <translation>Complexity</translation>
    </message>
    <message>
        <source>文字セット</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>文字リスト</source>
        <translation>Characters</translation>
    </message>
    <message>
        <source>文字数を増やす</source>
        <translation>Increase length</translation>
    </message>
    <message>
        <source>文字数を減らす</source>
        <translation>Decrease length</translation>
    </message>
    <message>
        <source>種の文字列</source>
        <translation>Seed text</translation>
    </message>
    <message>
        <source>数字 %1</source>
        <translation>Number %1</translation>
    </message>
    <message>
        <source>生成パスワード %1</source>
        <translation>Password %1</translation>
    </message>
    <message>
        <source>選択中の文字セットを削除します</source>
        <translation>Deletes the selected character set</translation>
    </message>
    <message>
        <source>表示するパスワードを 1、2、4、8、16 個と増やして生成します</source>
        <translation>Shows 1, 2, 4, 8 or 16 passwords in turn, and generates</translation>
    </message>
    <message>
        <source>文字セットを削除</source>
        <translation>Delete set</translation>
    </message>
    <message>
        <source>表示数を切り替え</source>
        <translation>Passwords shown</translation>
    </message>
    <message>
        <source>正の整数を入力してください。</source>
        <translation>Enter a whole number.</translation>
    </message>
    <message>
        <source>0 から %1 までの整数を入力してください。</source>
        <translation>Enter a whole number from 0 to %1.</translation>
    </message>
    <message>
        <source>文字リストが空のため、パスワードを生成できません。
文字リストをダブルクリックするか F2 キーを押して、文字を入力してください。</source>
        <translation>The character list is empty, so no passwords can be generated.
Double-click the character list or press F2, and type some characters.</translation>
    </message>
    <message>
        <source>設定を保存できませんでした。文字セットや設定の変更は、このままでは次回の起動時に失われます。</source>
        <translation>The settings could not be saved. Unless they can be saved later, changes to the settings and character sets will be lost when Tovrik next starts.</translation>
    </message>
    <message>
        <source>（追加）</source>
        <translation>(Add...)</translation>
    </message>
    <message>
        <source>同一名がすでに存在します</source>
        <translation>A set with this name already exists.</translation>
    </message>
    <message>
        <source>default は 削除できません</source>
        <translation>The set &quot;default&quot; cannot be deleted.</translation>
    </message>
    <message>
        <source>トヴリク (%1さん用)</source>
        <translation>Tovrik (for %1)</translation>
    </message>
    <message>
        <source>所有者キーの設定(&amp;K)...</source>
        <translation>Owner &amp;key...</translation>
    </message>
    <message>
        <source>所有者キーの設定(&amp;K)...（未設定）</source>
        <translation>Owner &amp;key... (not set)</translation>
    </message>
    <message>
        <source>ほかのプログラムが、この画面の起動後に所有者キーを変更していました。そのキーを残し、以後はそのキーでパスワードを生成します。入力したキーは設定していません。</source>
        <translation>Another program changed the owner key after this window started. That key is kept and used from now on; the key you typed was not set.</translation>
    </message>
    <message>
        <source>所有者キーを設定できませんでした。所有者キーは変わっていません。</source>
        <translation>The owner key could not be set. It is unchanged.</translation>
    </message>
</context>
<context>
    <name>DLGaddset</name>
    <message>
        <source>文字セットの追加</source>
        <translation>Add Character Set</translation>
    </message>
    <message>
        <source>登録</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>文字リスト</source>
        <translation>Characters</translation>
    </message>
    <message>
        <source>文字セット名</source>
        <translation>Set name</translation>
    </message>
    <message>
        <source>トヴリク %1</source>
        <translation>Tovrik %1</translation>
    </message>
    <message>
        <source>指定されたセット名は予約語のため登録できません</source>
        <translation>This set name is reserved and cannot be used.</translation>
    </message>
</context>
<context>
    <name>GuardedStore</name>
    <message>
        <source>設定ファイルが安全ではないため使いません（ほかのユーザーのもの、ほかのユーザーが書き込めるもの、または通常のファイルではありません）。設定は読み込まず、保存もしません。</source>
        <translation>The settings file is not safe to use (it belongs to another user, another user can write to it, or it is not a regular file). Settings are neither read nor saved.</translation>
    </message>
    <message>
        <source>控えを残して保存する(&amp;B)</source>
        <translation>&amp;Back up and save</translation>
    </message>
    <message>
        <source>設定ファイルを正しく読み込めません。上書きしないよう、設定は保存しません。</source>
        <translation>The settings file cannot be read exactly. So that it is not overwritten, settings are not saved.</translation>
    </message>
    <message>
        <source>「%1」を選ぶと、今の設定ファイルを控えに残してから、この画面の設定を保存します。</source>
        <translation>Choose &quot;%1&quot; to keep a backup of the present settings file, then save this window&apos;s settings over it.</translation>
    </message>
    <message>
        <source>控えを作れないか保存できないため、設定ファイルはそのままです。設定は保存しません。</source>
        <translation>The backup could not be made or the settings could not be saved, so the settings file is as it was. Settings are not saved.</translation>
    </message>
    <message>
        <source>これまでの設定ファイルを控えに残し、この画面の設定を保存しました。</source>
        <translation>A backup of the earlier settings file was kept, and this window&apos;s settings were saved.</translation>
    </message>
    <message>
        <source>控え: %1</source>
        <translation>Backup: %1</translation>
    </message>
    <message>
        <source>（なし）</source>
        <translation>(none)</translation>
    </message>
</context>
<context>
    <name>PlainOwnerKeyStore</name>
    <message>
        <source>設定を保存できませんでした。</source>
        <translation>The settings could not be saved.</translation>
    </message>
</context>
<context>
    <name>UiSeams</name>
    <message>
        <source>保存しない(&amp;N)</source>
        <translation>Do &amp;not save</translation>
    </message>
</context>
<context>
    <name>WindowOwnerKeyStore</name>
    <message>
        <source>この画面は設定を保存していません（起動時のお知らせのとおり）。</source>
        <translation>This window does not save its settings, as it said at the start.</translation>
    </message>
    <message>
        <source>設定を保存できませんでした: %1</source>
        <translation>The settings could not be saved: %1</translation>
    </message>
</context>
</TS>
