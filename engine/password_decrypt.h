#pragma once
// One file decrypted with the password a user typed, into an output folder: the key made
// from the password's bytes, the output named after the input (output_path.h), then
// DecryptLogFile with its data-safety rules.

#include <string>
#include <string_view>

#include "engine/decrypt_file.h"

// Decrypts inputPath into its output in outputFolder. password is wiped in place once the
// key is made, whatever happens next. Never raises: memory refused for the key or the
// paths is OutputUnwritable, as for an output that cannot be made.
DecryptResult DecryptWithPassword(std::string& password, std::string_view outputFolder,
                                  const std::string& inputPath, const DecryptOptions& options);
