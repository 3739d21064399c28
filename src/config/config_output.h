#pragma once

#include <string>
#include <string_view>

namespace fenno {

// Replaces the contents of the file at path with bytes in one step: the bytes go to a new
// file in the same folder, which is flushed to disk and then renamed over path. Whoever reads
// path meanwhile, and whatever fails, sees either the old file or the new one, never a part.
// A symbolic link is followed (the file it names is replaced), an existing file keeps its
// permissions, and a file the user may not write is not replaced. False on any failure.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace fenno
