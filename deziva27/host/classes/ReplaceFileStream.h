// A file stream whose file changes only once the work is complete: the data
// goes to a temporary file beside the target, and Commit puts it in the
// target's place in one step. Until then, readers of the target see the old
// file, and a failure or an exception leaves it as it was and nothing beside
// it.
//
// What the target is decides what happens:
// - missing: the new file is created (permissions from 0666 and the umask);
// - a regular file: it is replaced, and the replacement keeps its permission
//   bits (owner and group are those of the writer);
// - a symbolic link: followed, through any number of links, to the file it
//   finally names, which is then created or replaced; the links stay links;
// - a character or block device, a FIFO or a Unix socket: written in place
//   as it goes, never replaced (a FIFO waits for its reader, a socket is
//   connected to); Commit only closes it;
// - a directory: EFCreateError.
//
// The temporary file has no name (O_TMPFILE), so that nothing is left behind
// however the process ends, and gets one only in Commit. Where the file system
// has no unnamed files, it is a hidden file beside the target
// (".NAME.<pid>.<n>.dz-tmp"), removed on failure; a program that wants it gone
// after a signal too removes TemporaryName() in its handler. Setting the
// environment variable DZ_NO_TMPFILE uses the named file everywhere.
//
// Errors raise EFCreateError ("Cannot create file "NAME". <reason>") or,
// for a device that cannot be opened, EFOpenError ("Cannot open file ..."),
// and writes that fail EWriteError ("Cannot write file "NAME". <reason>"),
// the reason being the system's text for errno. NAME is the name as given.
// Threads: an object is used by one thread at a time; distinct objects are
// independent.
#pragma once

#include "deziva27/base/Export.h"

#include <string>

#include "deziva27/host/classes/Streams.h"

namespace dz DZ_API {

// A file written whole or not at all: the bytes go to an unnamed temporary
// file beside the target, and Commit puts it in the target's place (links
// followed, the replaced file's permissions kept); a device, FIFO or socket
// is written in place. Not copyable; destroying it without Commit leaves the
// target as it was and nothing behind.
class TReplaceFileStream : public THandleStream {
 public:
  // Opens the temporary file beside the target (or the special file in
  // place). The stream reads, writes and seeks like a file stream, except
  // in place, where only writing is sure to work.
  explicit TReplaceFileStream(const std::string& fileName);
  // Without Commit the work is dropped: the target stays as it was.
  ~TReplaceFileStream() override;
  TReplaceFileStream(const TReplaceFileStream&) = delete;
  TReplaceFileStream& operator=(const TReplaceFileStream&) = delete;

  // Writes all count bytes or raises EWriteError with the reason (a short
  // write to a full disk reads as "No space left on device").
  int32_t Write(const void* buffer, int32_t count) override;

  // Puts the finished file in the target's place (a special file is only
  // closed). Raises EFCreateError / EWriteError when that fails; the target is
  // then as it was. Later calls do nothing; the stream is closed afterwards.
  void Commit();

  // The name as given, as errors quote it.
  const std::string& FileName() const { return FFileName; }
  // The file that is finally replaced: the target with its links followed.
  const std::string& Target() const { return FTarget; }
  // True when a regular file is at Target and Commit will replace it (a
  // caller that must not overwrite asks this before writing anything).
  bool Replaces() const { return FReplaces; }
  // True for a special file written in place.
  bool InPlace() const { return FInPlace; }
  // The named temporary file, or empty while the temporary has no name.
  const std::string& TemporaryName() const { return FTempName; }

 private:
  void OpenInPlace(unsigned mode);
  void OpenTemporary();

  std::string FFileName;
  std::string FTarget;
  std::string FTempName;
  unsigned FMode = 0;  // the replaced file's permission bits
  bool FReplaces = false;
  bool FInPlace = false;
  bool FUnnamed = false;
  bool FDone = false;
};

}  // namespace dz
