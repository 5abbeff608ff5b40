#pragma once
// The dialog's texts, byte for byte (code page 932 in the Windows build).

inline constexpr char kMessageTitle[] = "Vellunora 復号化ツール";
inline constexpr char kDecodeFailedText[] = "複号化に失敗しました。";
inline constexpr char kWrongPasswordText[] = "暗号パスが違います。";
inline constexpr char kAbortQuestionText[] = "処理を中断しますか？";
inline constexpr unsigned kPauseMilliseconds = 1000;
