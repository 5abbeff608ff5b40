#pragma once
// Where the output of an input goes: the output folder, one separator unless the folder
// already ends in one, then the input's file name with its extension changed to ".CSV".
// The path rules under it (last name, folder, joining) are platform/path_text.h's.

#include <string>
#include <string_view>

#include "platform/path_text.h"

// LOG0001.$S$ -> LOG0001.CSV, a.b.$S$ -> a.b.CSV, LOG -> LOG.CSV, .$S$ -> .CSV.
std::string OutputFileNameFor(std::string_view fileName);

// PathInFolder(outputFolder, OutputFileNameFor(LastName(inputPath))) in style.
std::string OutputPathFor(std::string_view outputFolder, std::string_view inputPath,
                          platform::PathStyle style = platform::kNativePathStyle);
