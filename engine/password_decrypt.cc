#include "engine/password_decrypt.h"

#include <exception>

#include "engine/key_text.h"
#include "engine/output_path.h"
#include "platform/secure_wipe.h"

DecryptResult DecryptWithPassword(std::string& password, std::string_view outputFolder,
                                  const std::string& inputPath, const DecryptOptions& options) {
  try {
    const PasswordKey key(password);
    SecureWipe(password);
    return DecryptLogFile(key.Context(), inputPath, OutputPathFor(outputFolder, inputPath),
                          options);
  } catch (const std::exception&) {
    SecureWipe(password);
    return DecryptResult{.status = DecryptStatus::OutputUnwritable};
  }
}
