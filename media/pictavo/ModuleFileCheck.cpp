#include "media/pictavo/ModuleFileCheck.h"

#include <link.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

constexpr unsigned char kNativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;

bool Within(std::uint64_t offset, std::uint64_t length, std::uint64_t fileSize) {
  return offset <= fileSize && length <= fileSize - offset;
}

bool HeaderFits(const ElfW(Ehdr) & header, std::uint64_t fileSize) {
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != kNativeClass) return false;
  if (header.e_type != ET_DYN || header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phnum == 0) return false;
  if (!Within(header.e_phoff, std::uint64_t{header.e_phnum} * header.e_phentsize, fileSize)) return false;
  return header.e_shoff == 0 || Within(header.e_shoff, std::uint64_t{header.e_shnum} * header.e_shentsize, fileSize);
}

}  // namespace

bool IsCompleteModuleFile(const std::filesystem::path& file) {
  // stat first: opening a FIFO for reading would wait for a writer.
  struct stat status {};
  if (stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  const auto fileSize = static_cast<std::uint64_t>(status.st_size);
  std::ifstream in(file, std::ios::binary);
  ElfW(Ehdr) header{};
  if (!in.read(reinterpret_cast<char*>(&header), sizeof header) || !HeaderFits(header, fileSize)) return false;
  std::vector<ElfW(Phdr)> segments(header.e_phnum);
  in.seekg(static_cast<std::streamoff>(header.e_phoff));
  if (!in.read(reinterpret_cast<char*>(segments.data()),
               static_cast<std::streamsize>(segments.size() * sizeof(ElfW(Phdr))))) {
    return false;
  }
  for (const ElfW(Phdr) & segment : segments) {
    if (!Within(segment.p_offset, segment.p_filesz, fileSize)) return false;
  }
  return true;
}
