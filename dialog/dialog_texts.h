#pragma once
// The dialog's own texts, its captions and its message boxes', byte for byte (code page 932 in
// the build). The gaps in the caption and in "参　照" are ideographic spaces (U+3000).

inline constexpr char kDialogCaption[] = "Vellunora復号化ツール　Ver1.03";
inline constexpr char kDriveLabelCaption[] = "ファイルの場所";
inline constexpr char kOutputLabelCaption[] = "出力先フォルダ";
inline constexpr char kPasswordLabelCaption[] = "パスワード";
inline constexpr char kStartCaption[] = "復号化開始";
inline constexpr char kCancelCaption[] = "キャンセル";
inline constexpr char kBrowseCaption[] = "参　照";
inline constexpr char kSelectAllCaption[] = "全選択";
inline constexpr char kPickFolderCaption[] = "出力先フォルダの指定";
inline constexpr char kNoOutputFolderText[] = "出力先フォルダを設定して下さい。";
inline constexpr char kCompletedText[] = "複号化完了";
inline constexpr char kFileMask[] = "*.$S$";

// The message boxes of a run: their one title, and what a file's failure shows.
inline constexpr char kMessageTitle[] = "Vellunora 復号化ツール";
inline constexpr char kDecodeFailedText[] = "複号化に失敗しました。";
inline constexpr char kWrongPasswordText[] = "暗号パスが違います。";
inline constexpr char kAbortQuestionText[] = "処理を中断しますか？";
