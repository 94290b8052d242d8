#pragma once

// Reading files named as the system names them: on Linux a name is bytes, in whatever encoding.

#include <cstddef>
#include <filesystem>
#include <string>

// Throws std::runtime_error with a Portuguese message naming the file.
std::string ReadWholeFile(const std::filesystem::path& file);
// At most the first `count` bytes; the same failures.
std::string ReadFileStart(const std::filesystem::path& file, std::size_t count);

// Throws std::runtime_error when the file is past the 20 MB an MDF-e or event can have; `what`
// says which ("um MDF-e", "um evento").
void RefuseHugeXmlFile(const std::filesystem::path& file, const std::string& what);

// A file is there: a directory does not count.
bool FileExists(const std::filesystem::path& path);

// Whether the name ends in ".xml", in any letter case.
bool HasXmlExtension(const std::filesystem::path& path);
