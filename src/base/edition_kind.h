#pragma once

namespace fenno {

// Which of the two programs is running: the serial one or the TCP one. The string table
// picks the texts meant for one program by it; everything else about the programs is in
// their Edition (config/edition.h).
enum class EditionKind { Comfenno, Netfenno };

}  // namespace fenno
