// What a Linux program or library needs: the NEEDED entries and the SONAME
// of a 64-bit little-endian ELF file's dynamic section.
#pragma once

#include <string>
#include <vector>

struct ElfDependencies {
  std::string soname;                ///< empty when the file has none
  std::vector<std::string> needed;   ///< in the file's order
  bool hasSymbolTable = false;       ///< not stripped: a .symtab section is there
};

/// True when `data` starts like an ELF file.
bool isElfFile(const std::string& data);

/// Reads the dynamic section of the 64-bit little-endian ELF image `data`
/// (a file without one needs nothing). False with the reason when the file
/// is not such an image or its tables lie outside it.
bool readElfDependencies(const std::string& data, ElfDependencies* dependencies,
                         std::string* error);

/// The ELF files under a folder and what they need from elsewhere.
struct ElfSurvey {
  std::vector<std::string> files;      ///< paths, sorted
  std::vector<std::string> unstripped; ///< those with a symbol table
  std::vector<std::string> sonames;    ///< needed and provided by none of them, sorted
};

/// Surveys the ELF files under `folder`: a library they need counts as
/// provided when one of them has it as SONAME or file name. Files that are
/// not ELF images are skipped; a damaged one is an error.
bool surveyElfFiles(const std::string& folder, ElfSurvey* survey, std::string* error);
