#pragma once
// The two file operations several parts share: writing a whole buffer to a
// descriptor (logs, records, the workbook reader's pipe) and reading a small
// text file whole (the simulator's drive and true-map files).

#include <cstddef>
#include <optional>
#include <string>

namespace kelvo6::core {

// Writes every byte, going on after interrupted or partial writes. False, with
// errno as the system left it (or 0 when the device took nothing), on failure.
bool writeAll(int fd, const char* data, std::size_t size);
inline bool writeAll(int fd, const std::string& bytes) { return writeAll(fd, bytes.data(), bytes.size()); }

// The whole file as text, or nullopt with "cannot read PATH" in `error`.
std::optional<std::string> readTextFile(const std::string& path, std::string* error);

}  // namespace kelvo6::core
