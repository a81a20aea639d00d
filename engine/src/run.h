#pragma once

// The run over any file store; RunConversion and RunConversionInParallel run it over the system's files.

#include <string_view>

#include "file_store.h"
#include "tarnix/conversion.h"

namespace tarnix {

// Converts one directory entry given by its name; logs its outcome and never throws.
EntryOutcome ConvertFile(std::string_view name, const ConversionOptions& options, ConversionReport& report,
                         FileStore& store);

RunOutcome RunConversion(FileStore& store, const ConversionOptions& options, ConversionReport& report);
RunOutcome RunConversionInParallel(FileStore& store, const ConversionOptions& options,
                                   ConversionReport& report, int workers);

// The quote entries of the directory, in the order a run takes them up; a directory that cannot be read
// leaves `outcome.directoryFailure` set and gives no entries.
std::vector<std::string> ListQuoteEntries(FileStore& store, const std::string& directory,
                                          RunOutcome& outcome);

}  // namespace tarnix
