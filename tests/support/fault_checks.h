#pragma once
// What the reliability tests check after a run of the built decoder, natively and under Wine:
// log files that know their plaintext, whole-file comparisons that print a difference instead
// of megabytes, and the rule that every input is either kept as it was or has its output whole.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The password the reliability tests give the decoder.
inline constexpr char kFaultPassword[] = "tokright";
// How each of the decoder's lines begins.
inline constexpr char kDecoderLinePrefix[] = "vellunora-decode: ";

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

// The seed of the random moments at which runs are ended: VELLUNORA_KILL_SEED if set, so that
// a failure can be reproduced, else a fresh one.
uint64_t KillSeed();
