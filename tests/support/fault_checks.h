#pragma once
// What the reliability tests check after a run of the built decoder, natively and under Wine:
// log files that know their plaintext, whole-file comparisons that print a difference instead
// of megabytes, the rule that every input is either kept as it was or has its output whole,
// and the checks both test programs make of the same kinds of run: outputs that cannot be
// written, one file under a fault, runs ended from outside and two decoders at once.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The password the reliability tests give the decoder.
inline constexpr char kFaultPassword[] = "tokright";
// How each of the decoder's lines begins.
inline constexpr char kDecoderLinePrefix[] = "vellunora-decode: ";

// The line -v starts with, naming the cipher's path: about no file.
inline bool IsDecryptionPathLine(std::string_view line) {
  return line.starts_with(std::string(kDecoderLinePrefix) + "復号の方式: ");
}

struct LogFile {
  std::string input;
  std::string output;  // its .CSV in the output folder
  std::vector<uint8_t> cipher;
  std::vector<uint8_t> plain;
};

// folder + the native separator + name, with no doubled separator after a root such as "F:\".
std::string JoinPath(const std::string& folder, std::string_view name);

// letter, number, ".$S$".
std::string LogName(char letter, size_t number);

// Writes an encrypted log of size bytes as folder/name, whose output goes to outputFolder.
LogFile WriteLog(const std::string& folder, const std::string& name, size_t size, uint32_t seed,
                 const std::string& outputFolder);

bool PathExists(const std::string& path);

// The names in folder, sorted. Through the decoder's own folder listing, which also reads the
// root of a drive that Wine maps to a mount point (std::filesystem's iterator cannot open it).
// Throws std::runtime_error naming the folder when it cannot be listed.
std::vector<std::string> NamesIn(const std::string& folder);

// The names in folder that a temporary file could have: beginning with "~" or ending in
// ".tmp". Sorted.
std::vector<std::string> TemporaryFilesIn(const std::string& folder);

// "" when the file at path holds exactly expected, else how it differs.
std::string DifferenceFrom(const std::string& path, const std::vector<uint8_t>& expected);

// "" when every byte of the file is plain's byte at the same offset, or zero where writers
// working side by side had not reached yet; else where it is not.
std::string NotAPartOf(const std::string& path, const std::vector<uint8_t>& plain);

// The lines of text, without their "\n" or "\r\n".
std::vector<std::string> SplitLines(const std::string& text);

enum class Fate {
  Kept,    // reported failed: the input is there as it was, no new output
  Done,    // decrypted: the output is whole and the input deleted
  Either,  // whichever the run reports, as long as the files agree with it
};

// Checks what became of log after a run whose standard error was err: a file with a failure
// line kept its input byte for byte and left olderOutput (or no output) under the final name;
// a file without one has its whole output and no input. Never neither.
void ExpectFate(const LogFile& log, Fate fate, const std::string& err,
                const std::vector<uint8_t>& olderOutput = {});

// Where a run's files are.
struct RunFolders {
  std::string input;   // the folder of its inputs
  std::string output;  // its output folder, the -o argument
};

// Checks a run on logs, all in folders.input, whose outputs could not all be written to
// folders.output: it printed at least one line (err), each saying that an output cannot be
// written for one of reasons (the system's words in their brackets), and ended with exit code 1;
// each log's fate agrees with the lines (olderOutput: what stood under logs[0]'s output name
// before the run, empty for nothing); only whole outputs are in folders.output and no ".tmp"
// file is left in folders.input.
void ExpectUnwritableRun(const std::vector<LogFile>& logs, const std::vector<Fate>& fates,
                         const std::vector<uint8_t>& olderOutput, const RunFolders& folders,
                         long long exitCode, const std::string& err,
                         const std::vector<std::string>& reasons);

// How a run on one file leaves it.
enum class After {
  InputOnly,       // the input as it was, no new output (an older one untouched)
  InputAndOutput,  // decrypted, but the input could not be deleted
  OutputOnly,      // decrypted and the input deleted
};

// What a run on one file must come to.
struct OneFileEnd {
  long long exitCode;
  std::string message;  // in the one line printed; "" for none
  After after;
};

// Checks a run on log alone (its input in folders.input, its output going to folders.output)
// that ended with exitCode after printing err: the exit code, no line or one line holding the
// message, the input as it was or gone, the output whole or, where there is none, olderOutput
// untouched under its name (empty: nothing there), and no ".tmp" file in folders.input nor, if
// it exists, in folders.output. A fatal failure (a file expected that is not there) ends the
// check: call it inside ASSERT_NO_FATAL_FAILURE.
void ExpectOneFileRun(const LogFile& log, const std::vector<uint8_t>& olderOutput,
                      const RunFolders& folders, long long exitCode, const std::string& err,
                      const OneFileEnd& expected);

// What one decoder, run with -v on a folder of logs beside another decoder, said about them.
struct DecoderLines {
  std::vector<int> decrypted;                      // per log: lines saying it was decrypted
  std::vector<std::vector<std::string>> failures;  // per log: what each other line about it
                                                   // says after "INPUT: "
  int DecryptedCount() const;
  bool AnyFailure() const;
};

// What a decoder may say about a file that another decoder took from under it: busy, gone,
// or done already. inUse and notFound are the system's words, in their brackets, for a file
// in use and for a file that is not there.
std::vector<std::string> ReasonsForATakenFile(const std::string& inUse,
                                              const std::string& notFound);

// Reads err, the standard error of a decoder run with -v on folder, which held logs. Every
// line is about one of logs (a fatal failure otherwise: call it inside ASSERT_NO_FATAL_FAILURE)
// or says that folder has no "*.$S$" file (the other decoder may have taken every file before
// this one looked); every line about a log that does not say it was decrypted ends with one of
// allowedFailures.
void ReadDecoderLines(const std::string& err, const std::string& folder,
                      const std::vector<LogFile>& logs,
                      const std::vector<std::string>& allowedFailures, DecoderLines& lines);

// Runs of the decoder on one log file, alone in its folder, ended from outside at random
// moments. After each: the input as it was or the whole output under its final name (never
// neither, never a partial file under the final name), and nothing else: the output is held
// until it is named, so not even an ended run leaves a temporary file.
class EndedRuns {
 public:
  // log is in folder and its output goes there; it must outlive this object. stopped names
  // the way runs are ended in the summary, such as "killed".
  EndedRuns(std::string folder, const LogFile& log, std::string stopped);

  // Puts the input back if it is gone and removes the output.
  void RestoreInput() const;

  // Checks a run that was left to finish before the runs that are ended: exit code 0, the
  // output whole and the input deleted; then restores the input. Every failure is fatal: call
  // it inside ASSERT_NO_FATAL_FAILURE.
  void CheckWholeRun(long long exitCode, const std::string& err) const;

  // Checks the last run, after the ended ones: exit code 0, the output whole and the input
  // deleted.
  void CheckRunBesideLeftovers(long long exitCode, const std::string& err) const;

  // Checks the folder after a run that was ended from outside (endedFromOutside) or had
  // finished by itself, with exitCode and err, counts its outcome, removes any file left
  // behind (a failure) and restores the input for the next. A fatal failure (neither the
  // input nor the output there) ends the check: call it inside ASSERT_NO_FATAL_FAILURE.
  void CheckRun(bool endedFromOutside, long long exitCode, const std::string& err);

  // Writes how many runs had each outcome, and how many files were left behind.
  void Summarize(std::ostream& out) const;

 private:
  std::string folder_;
  const LogFile& log_;
  std::string stopped_;
  std::map<std::string, int> outcomes_;
  int leftovers_ = 0;
};

// The seed of the random moments at which runs are ended: VELLUNORA_KILL_SEED if set, so that
// a failure can be reproduced, else a fresh one. Printed, saying that it reproduces these
// ends (such as "kills"), and recorded as the test's property kill_seed.
uint64_t KillSeed(std::string_view ends);
