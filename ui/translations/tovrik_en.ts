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
    <name>UiSeams</name>
    <message>
        <source>保存しない(&amp;N)</source>
        <translation>Do &amp;not save</translation>
    </message>
</context>
</TS>
