#pragma once
// The commands of jotterbase-transfer, each given the words after its name.

#include <string>
#include <vector>

namespace jb::cli {

extern const char* const kExportUsage;
extern const char* const kImportUsage;

int TransferExport(const std::vector<std::string>& words);
int TransferImport(const std::vector<std::string>& words);

// Says what is wrong with the command line, and the usage; returns 2.
int TransferUsage(const char* command, const char* usage, const std::string& problem);
// A number of at most nine digits; throws std::invalid_argument naming `what` otherwise.
int TransferNumber(const std::string& text, const std::string& what);

}  // namespace jb::cli
