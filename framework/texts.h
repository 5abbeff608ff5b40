#pragma once
// The framework's own user-visible texts, in one place so tests compare exact bytes. The
// texts of the exception classes live with them in exceptions.cc.

// Raised when a list or combo box refuses an item.
inline constexpr const char kCannotInsertLine[] = "行を挿入できません";
// Raised when the system refuses to create a window.
inline constexpr const char kCannotCreateWindow[] = "ウィンドウを作成できません";
// Raised when the system refuses to create a font.
inline constexpr const char kCannotCreateFont[] = "フォントを作成できません";
// Caption of the generic error box for an object outside the Exception hierarchy.
inline constexpr const char kApplicationErrorCaption[] = "アプリケーション エラー";
// Filled with the class name, the module's file name and the address (as eight hexadecimal
// digits); two empty texts follow on the next line.
inline constexpr const char kGenericErrorFormat[] =
    "%s がモジュール %s の %08X で発生しました。\r\n%s%s\r\n";
