#pragma once
// Files read and written whole, the way every user file must be: a read takes every byte of
// a regular file (NUL bytes included) and never waits for a source that does not end; a
// write either puts the whole text in place or leaves the file as it was and says why.
#include <string>

namespace qbc {

enum class FileRead {
  kRead,        // the whole file is in `bytes`
  kMissing,     // no such file (or a folder on the way is missing)
  kUnreadable,  // it exists but cannot be read: `why` tells the system's reason
};

// Reads a regular file whole. A folder, a pipe, a device (/dev/zero) or a socket is
// refused as unreadable without waiting on it; a file that grows while it is read is
// taken as long as it was when it was opened.
FileRead ReadWholeFile(const std::string& path, std::string& bytes, std::string& why);

// What a write does with a symbolic link in the file's place.
enum class Links {
  kFollow,   // the link keeps pointing at the file it names, which is the one written
             // (a document the user reaches through a link)
  kReplace,  // the new file takes the link's place; the file it named is left alone (what
             // a build makes: its .asm, like its .hex, never writes through a link)
};

// Writes `bytes` under a temporary name beside the file, checks every write and the close
// (a full disk, a quota, a file size limit), and only then renames it over the file: on
// failure the old file is untouched, no temporary file is left and `why` tells the
// system's reason. A file that exists keeps its permissions. `sync` also waits until the
// text is on the disk before the rename (a document: a power cut must not leave an empty
// file in its place).
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& why, bool sync = false,
                    Links links = Links::kFollow);

// A temporary file is its writer's while the writer lives: the writer holds a file lock on
// it from its creation until it is put in place or removed, and the lock ends with the
// writer however it ends. Only a temporary file nobody holds is a leftover, so that writers
// beside one file (builds of one document from two installations) leave each other's
// temporary files alone, and a killed writer's are still found.
//
// Takes the file just created under the name `path`, open as `fd`, for its writer; the
// writer keeps `fd` (or a duplicate) open while the file is its own. False when the file is
// not the writer's: a removal of leftovers took it first, and the writer makes another.
bool HoldTemporary(int fd, const std::string& path);

// Removes what writers of `path` stopped part-way (a killed process) left beside it: the
// files named as a writer names its temporary file for `path` (".NAME.<digits>.tmp") that
// no living writer holds, nothing else.
void RemoveWriterLeftovers(const std::string& path);

// Removes the regular files in the folder of `path` whose names `isLeftover` accepts and
// that no living writer holds; `isLeftover` is given a file's name and the name of `path`.
// Folders and links are left alone, and so is a file whose holder cannot be known (one this
// process cannot open, or on a file system without file locks).
void RemoveFilesBeside(const std::string& path, bool (*isLeftover)(const std::string& fileName, const std::string& name));

// The same in two steps, for a file whose text is made after it is known that the file can
// be made: Open creates the temporary file (a missing or read-only folder fails here),
// Commit writes it and puts it in place. A writer dropped before Commit removes it.
class WholeFileWriter {
 public:
  WholeFileWriter() = default;
  ~WholeFileWriter();
  WholeFileWriter(const WholeFileWriter&) = delete;
  WholeFileWriter& operator=(const WholeFileWriter&) = delete;

  bool Open(const std::string& path, std::string& why, Links links = Links::kFollow);
  bool Commit(const std::string& bytes, std::string& why, bool sync = false);

 private:
  void Discard();

  std::string target_;
  std::string temp_;
  int fd_ = -1;
  int hold_ = -1;  // holds the temporary file's lock until it is in place or removed
};

}  // namespace qbc
