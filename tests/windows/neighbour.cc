// A program that does what the shell, a virus scanner or a search indexer does on a real
// desktop: it opens each new or changed file in a folder the moment its writer lets go of it,
// with share mode read, holds it a while and lets go.
//   neighbour.exe FOLDER HOLD_MS
// It runs until it is ended from outside.

#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>

namespace {

// A file as the neighbour tells files apart: a name replaced by a new file is a new file.
std::string KeyOf(const WIN32_FIND_DATAA& entry) {
  return std::string(entry.cFileName) + "|" + std::to_string(entry.nFileSizeLow) + "|" +
         std::to_string(entry.ftLastWriteTime.dwLowDateTime) + "|" +
         std::to_string(entry.ftLastWriteTime.dwHighDateTime);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const std::string folder = argv[1];
  const DWORD hold = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
  std::set<std::string> held;
  for (;;) {
    std::set<std::string> present;
    WIN32_FIND_DATAA entry{};
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::string key = KeyOf(entry);
        present.insert(key);
        if (held.count(key) != 0) continue;
        // Refused while its writer holds it; tried again on the next pass.
        const HANDLE file = CreateFileA((folder + "\\" + entry.cFileName).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        Sleep(hold);
        CloseHandle(file);
        held.insert(key);
      } while (FindNextFileA(search, &entry));
      FindClose(search);
    }
    std::erase_if(held, [&](const std::string& key) { return present.count(key) == 0; });
    Sleep(1);
  }
}
