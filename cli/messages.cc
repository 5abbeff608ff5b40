#include "cli/messages.h"

#include <cstdio>

#include "cli/options.h"
#include "cli/shown_name.h"

namespace messages {
namespace {

std::string Line(std::string_view text) {
  std::string line = kProgramName;
  line += ": ";
  line += text;
  line += '\n';
  return line;
}

std::string Concat(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) text += part;
  return text;
}

// "（理由）" from the system's text, or nothing when there is no code to describe.
std::string Reason(platform::SystemError error) {
  if (error == 0) return {};
  std::string text = platform::DescribeSystemError(error);
  // The system's sentence goes inside brackets, before the line's own full stop.
  constexpr std::string_view kFullStop = "。";
  for (;;) {
    if (!text.empty() && std::string_view("\r\n .").find(text.back()) != std::string_view::npos) {
      text.pop_back();
    } else if (text.ends_with(kFullStop)) {
      text.resize(text.size() - kFullStop.size());
    } else {
      break;
    }
  }
  return Concat({"（", text, "）"});
}

const char* EncodingName(platform::TextEncoding encoding) {
  switch (encoding) {
    case platform::TextEncoding::Utf8:
      return "UTF-8 ";
    case platform::TextEncoding::Cp932:
      return "コードページ932";
    case platform::TextEncoding::User:
    case platform::TextEncoding::Guess:
      break;
  }
  return "この環境の文字コード";
}

constexpr char kFailed[] = "復号に失敗しました。";
constexpr char kStandardOutputName[] = "標準出力";

}  // namespace

const char kUsageLabel[] = "使い方";
const char kOptionsLabel[] = "オプション";
const char kArgumentsLabel[] = "引数";
const char kDescription[] =
    "Vellunora 復号ツール（コマンド行版）\n"
    "暗号化されたログファイル（*.$S$）を復号し、同じ名前の .CSV ファイルにします。";
const char kFooter[] =
    "パスワードは -p のファイル、環境変数 VELLUNORA_PASSWORD、端末の順に探します。\n"
    "終了コード: 0 すべて成功、1 使い方の誤りか失敗したファイルがある、\n"
    "2 パスワードの違うファイルがある（いくつかあれば大きい方）。";
const char kFilesHelp[] = "復号するファイル。フォルダーならその中の *.$S$ ファイル";
const char kPasswordFileHelp[] = "パスワードをこのファイルの1行目から読む（- は標準入力）";
const char kPasswordEncodingHelp[] =
    "パスワードの文字コード: auto（既定。UTF-8 でなければコードページ932）、utf-8、cp932";
const char kOutputHelp[] = "出力先フォルダー（既定: 元のファイルと同じフォルダー）";
const char kRecursiveHelp[] = "フォルダーの中のフォルダーも探す";
const char kKeepHelp[] = "復号した元のファイルを削除しない";
const char kForceHelp[] = "出力ファイルがすでにあれば置き換える";
const char kStdoutHelp[] = "復号したデータを標準出力へ書く（元のファイルは残す）";
const char kTestHelp[] =
    "パスワードを確かめるだけで、何も書かず何も削除しない（-o があれば出力先フォルダーも確かめる）";
const char kNoSyncHelp[] = "ディスクへの書き込みの完了を待たない（速いが、停電に弱い）";
const char kQuietHelp[] = "エラー以外は表示しない";
const char kVerboseHelp[] =
    "復号の方式と、ファイルごとに結果を表示する（端末では大きなファイルの進み具合も）";
const char kJobsHelp[] =
    "同時に使うスレッドの数（1〜64）。ファイルが少ないときは大きなファイルを分けて復号する（既定: "
    "CPU のコア数）";
const char kHelpHelp[] = "この説明を表示して終わる";
const char kVersionHelp[] = "版を表示して終わる";

const char kPasswordPrompt[] = "パスワード: ";

std::string VersionLine() { return Concat({kProgramName, " ", kProgramVersion, "\n"}); }

std::string UnknownOption(std::string_view option) {
  // Often a file name: a glob hands over names beginning with "-" as they are.
  return Line(Concat({"不明なオプションです: ", ShownName(option)})) +
         Line(Concat({"使い方は ", kProgramName, " --help を見てください。"}));
}

std::string OptionsConflict(std::string_view first, std::string_view second) {
  return Line(Concat({first, " と ", second, " は一緒に使えません。"}));
}

std::string NoInputs() {
  return Line("復号するファイルを指定してください。") +
         Line(Concat({"使い方は ", kProgramName, " --help を見てください。"}));
}

std::string OutputFolderMissing(std::string_view folder) {
  return Line(Concat({"出力先フォルダー ", ShownName(folder), " がありません。"}));
}

std::string OutputFolderNotAFolder(std::string_view folder) {
  return Line(Concat({"出力先 ", ShownName(folder), " はフォルダーではありません。"}));
}

std::string OutputFolderUnwritable(std::string_view folder, platform::SystemError error) {
  return Line(Concat(
      {"出力先フォルダー ", ShownName(folder), " に新しいファイルを作れません", Reason(error), "。"}));
}

std::string OutputFolderWritable(std::string_view folder) {
  return Line(Concat({"出力先フォルダー ", ShownName(folder), " に新しいファイルを作れます。"}));
}

std::string UnknownPasswordEncoding(std::string_view name) {
  return Line(Concat(
             {"--password-encoding は auto、utf-8、cp932 のどれかです: ", ShownName(name)})) +
         Line(Concat({"使い方は ", kProgramName, " --help を見てください。"}));
}

std::string CommandLineError(std::string_view detail) {
  // CLI11 quotes the argument it refused, which may be a name a glob put there.
  return Line(Concat({"コマンド行が正しくありません: ", ShownName(detail)})) +
         Line(Concat({"使い方は ", kProgramName, " --help を見てください。"}));
}

std::string NoPasswordSource() {
  return Line(
      "パスワードがありません。-p FILE か環境変数 VELLUNORA_PASSWORD で渡すか、端末から実行して"
      "ください。");
}

std::string PasswordFileUnreadable(std::string_view path, platform::SystemError error) {
  return Line(
      Concat({"パスワードのファイル ", ShownName(path), " を読めません", Reason(error), "。"}));
}

std::string PasswordInputUnreadable(platform::SystemError error) {
  return Line(Concat({"標準入力からパスワードを読めません", Reason(error), "。"}));
}

std::string PasswordFileEmpty(std::string_view path) {
  return Line(Concat({"パスワードのファイル ", ShownName(path), " を読めません（空です）。"}));
}

std::string PasswordInputEmpty() { return Line("標準入力からパスワードを読めません（空です）。"); }

std::string PasswordLineTooLong(size_t limit) {
  return Line(Concat({"パスワードの行が長すぎます（", std::to_string(limit), " バイトまで）。"}));
}

std::string PasswordTerminalFailed(platform::SystemError error) {
  return Line(Concat({"端末からパスワードを読めません", Reason(error), "。"}));
}

std::string PasswordConversionFailed(const platform::Cp932Text& conversion, bool encodingChosen) {
  std::string text;
  switch (conversion.error) {
    case platform::TextError::Malformed:
      text = Line(Concat({"パスワードが、", EncodingName(conversion.readAs),
                          "の文字として正しくありません。"}));
      break;
    case platform::TextError::Unrepresentable: {
      char codePoint[16];
      std::snprintf(codePoint, sizeof codePoint, "U+%04X",
                    static_cast<unsigned>(conversion.character));
      text = Line(Concat({"パスワードの文字 ", codePoint, " はコードページ932で表せません。"}));
      break;
    }
    case platform::TextError::NoConverter:
    case platform::TextError::None:
      text = Line("パスワードをコードページ932に変換できません。");
      break;
  }
  if (encodingChosen) {
    text += Line("パスワードの文字コードは --password-encoding で選べます（auto、utf-8、cp932）。");
  }
  return text;
}

std::string FolderUnreadable(std::string_view folder, platform::SystemError error) {
  return Line(Concat({"フォルダー ", ShownName(folder), " を読めません", Reason(error), "。"}));
}

std::string NoLogFilesIn(std::string_view folder) {
  return Line(Concat({"フォルダー ", ShownName(folder), " に *.$S$ ファイルがありません。"}));
}

std::string FileFailed(std::string_view inputName, std::string_view output,
                       const DecryptResult& result) {
  const std::string input = ShownName(inputName);
  const std::string target =
      output.empty() ? std::string(kStandardOutputName) : ShownName(output);
  switch (result.status) {
    case DecryptStatus::InputMissing:
      return Line(Concat({input, ": ", kFailed, "ファイルがありません。"}));
    case DecryptStatus::NotRegularFile:
      return Line(Concat({input, ": ", kFailed, "通常のファイルではありません。"}));
    case DecryptStatus::InputEmpty:
      return Line(Concat({input, ": ", kFailed, "ファイルが空です。"}));
    case DecryptStatus::InputUnreadable:
      return Line(
          Concat({input, ": ", kFailed, "ファイルを読めません", Reason(result.error), "。"}));
    case DecryptStatus::WrongPassword:
      return Line(Concat({input, ": パスワードが違います。"}));
    case DecryptStatus::OutputExists:
      return Line(Concat({input, ": ", kFailed, "出力ファイル ", target,
                          " がすでにあります（置き換えるには -f）。"}));
    case DecryptStatus::OutputUnwritable:
      return Line(
          Concat({input, ": ", kFailed, target, " に書けません", Reason(result.error), "。"}));
    case DecryptStatus::Interrupted:
      return Line(Concat({input, ": 中断しました。"}));
    case DecryptStatus::Done:
      break;
  }
  return Line(Concat({input, ": ", kFailed}));
}

std::string InputNotDeleted(std::string_view input, platform::SystemError error) {
  return Line(Concat(
      {ShownName(input), ": 復号しましたが、元のファイルを削除できません", Reason(error), "。"}));
}

std::string StandardOutputClosed() {
  return Line("標準出力が閉じているため、-c で復号したものを書けません。");
}

std::string FilesLeftForStandardOutput(size_t count) {
  return Line(Concat({"標準出力に書けないため、残りの ", std::to_string(count),
                      " 個のファイルは処理しません。"}));
}

std::string OutputAppearedDuringRun(std::string_view input, std::string_view output) {
  return Line(Concat({ShownName(input), ": ", kFailed, "出力ファイル ", ShownName(output),
                      " は実行中に作られたため、置き換えません。"}));
}

std::string StandardOutputIsAnInput(std::string_view input) {
  return Line(Concat({ShownName(input), ": 標準出力がこの入力ファイルです。何も復号しません。"}));
}

std::string SameOutput(std::string_view input, std::string_view other, std::string_view output) {
  return Line(Concat({ShownName(input), ": 復号しません。", ShownName(other),
                      " と同じ出力ファイル ", ShownName(output), " になります。"}));
}

std::string InputChangedWhileRead(std::string_view input) {
  return Line(Concat(
      {ShownName(input),
       ": 復号しましたが、読んでいる間にファイルが変わったため、元のファイルを残しました。"}));
}

std::string DecryptionPath(std::string_view pathName) {
  return Line(Concat({"復号の方式: ", pathName}));
}

std::string FileDecrypted(std::string_view input, std::string_view output) {
  return Line(Concat({ShownName(input), " -> ", ShownName(output), ": 復号しました。"}));
}

std::string FileWrittenToStandardOutput(std::string_view input) {
  return Line(Concat({ShownName(input), ": 復号しました（", kStandardOutputName, "）。"}));
}

std::string PasswordMatches(std::string_view input) {
  return Line(Concat({ShownName(input), ": パスワードは正しいです。"}));
}

std::string Progress(std::string_view input, uint64_t done, uint64_t total) {
  const unsigned percent = total == 0 ? 100u : static_cast<unsigned>(done * 100 / total);
  char number[8];
  std::snprintf(number, sizeof number, "%3u%%", percent);
  return Concat({kProgramName, ": ", ShownName(input), ": ", number});
}

}  // namespace messages
