# Writes a C++ source defining a table of (name, contents) for text files, so that data
# files are compiled into the program. Set OUTPUT, NAMESPACE and INPUTS ("name=path" items)
# and include this file.
set(body "")
set(entries "")
set(index 0)
foreach(pair IN LISTS INPUTS)
  string(REPLACE "=" ";" parts "${pair}")
  list(GET parts 0 name)
  list(GET parts 1 path)
  file(READ "${path}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(APPEND body "constexpr char kData${index}[] = {${bytes} 0};\n")
  string(APPEND entries "    {\"${name}\", std::string_view(kData${index}, sizeof(kData${index}) - 1)},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp"
"// Generated from the data files; do not edit.
#include <string_view>
#include <utility>
#include <span>

namespace ${NAMESPACE} {
namespace {
${body}
constexpr std::pair<std::string_view, std::string_view> kFiles[] = {
${entries}};
}  // namespace

std::span<const std::pair<std::string_view, std::string_view>> EmbeddedFiles() { return kFiles; }

}  // namespace ${NAMESPACE}
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
