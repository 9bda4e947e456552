// Files at the dz prompt, treated the way gzip-like tools treat them.
//
// Errors name the file and the system's reason in plain words ("Cannot open
// file "d". Is a directory"), "-" stands for standard input or output, text
// must be UTF-8 and a failure says at which byte it stops being so, and an
// output file is replaced only once the work is complete.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "deziva27/base/Types.h"
#include "deziva27/host/classes/ReplaceFileStream.h"
#include "deziva27/host/classes/Streams.h"

namespace dz::tool {

// A file the command cannot use; main prints the message as it stands.
struct FileError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// "Cannot <verb> file "<path>". <reason of err>"; "-" reads as standard input
// or output.
[[noreturn]] void ThrowFileError(const char* verb, const std::string& path, int err);

// The name of an input or output in messages: the path, or "standard input".
std::string DisplayName(const std::string& path, bool output = false);

// A descriptor to read path from (0 for "-"); FileError for a file that
// cannot be opened or is a directory. The caller closes what is above 2.
int OpenForReading(const std::string& path);

// The whole of a file, or of standard input for "-".
std::string ReadFileOrStdin(const std::string& path);

// An input as a stream that knows its size and can be rewound: a regular file
// is read in place; standard input, pipes and devices are first copied to an
// unnamed temporary file, so memory stays flat for any size.
std::unique_ptr<TStream> OpenInput(const std::string& path);

// bytes decoded from UTF-8; when they are not, FileError placed as compilers
// place errors: "<what>:LINE:COLUMN: not valid UTF-8 at byte offset N (0xXX)",
// lines counted from firstLine, columns in bytes from 1, the offset from the
// start of bytes. what names the source (a file, "standard input").
UnicodeString Utf8Text(std::string_view bytes, const std::string& what, size_t firstLine = 1);

// A command-line argument as text; FileError naming the argument (its bytes
// past ASCII written \xNN) when it is not UTF-8.
UnicodeString ArgText(const std::string& arg);

// text with its control characters (C0, DEL, and C1 written in UTF-8)
// written \xNN (and, with nonAscii, every byte past ASCII too), so that a
// message quoting a file name or an argument stays one line on the terminal
// and cannot drive it.
std::string Visible(std::string_view text, bool nonAscii = false);

// Text from outside (an argument, a file) for people at a terminal: as
// Visible, but line feeds and tabs stay, and bytes that are not UTF-8 are
// written \xNN too. Machine formats (--json, files) stay exact instead.
std::string Printable(std::string_view text);

// An output file, replaced only on success: "-" is standard output, written
// as it goes; any other name is a TReplaceFileStream (links followed,
// permissions kept, special files written in place, nothing left behind),
// whose errors raise the library's exceptions with the file's name and the
// reason. dz adds its own policy: a regular file that exists is replaced
// only when force is true, else FileError before any work is done; and a
// named temporary file (see TReplaceFileStream) is also removed when SIGINT,
// SIGTERM or SIGHUP ends the run.
class Output {
 public:
  Output(const std::string& path, bool force);
  ~Output();  // unfinished work is dropped; the old file is left as it was
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  TStream& Stream() { return FFile ? static_cast<TStream&>(*FFile) : *FStdout; }
  // Puts the finished file in place (nothing to do for an in-place output).
  void Commit();
  // Standard output or a special file, written directly.
  bool InPlace() const { return !FFile || FFile->InPlace(); }
  // Standard output or an in-place file that is a terminal.
  bool IsTerminal() const;

 private:
  std::unique_ptr<TReplaceFileStream> FFile;
  std::unique_ptr<TStream> FStdout;
};

}  // namespace dz::tool
