#ifndef ARCHIVECOMMAND_H
#define ARCHIVECOMMAND_H

#include "serve/ServeOptions.h"

// VaroServe --export FILE and --import FILE: the content of a store that no
// service holds, written to a file or replaced by one. Returns the exit code:
// 0 done, 1 the store or the file failed or the file's content is invalid.
namespace ArchiveCommand {

int run(const ServeOptions::Parsed &options);

} // namespace ArchiveCommand

#endif
