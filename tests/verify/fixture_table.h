// What the verify tests that run on both platforms share: the tables the fixture scripts write (one
// line a fixture, fields split by tabs), paths as this platform reads them (Wine sees the build
// tree as Z:), and paths back as the program's UTF-8.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fixtures {

inline std::filesystem::path Native(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
    path = "Z:" + path;
#endif
    return std::filesystem::path(path);
}

inline std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The rows of the table named by the environment variable that have `fields` fields.
inline std::vector<std::vector<std::string>> Table(const char* variable, std::size_t fields) {
    const char* list = std::getenv(variable);
    std::ifstream in(list != nullptr ? Native(list) : std::filesystem::path());
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> row;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) row.push_back(field);
        if (row.size() == fields) rows.push_back(row);
    }
    return rows;
}

}  // namespace fixtures
