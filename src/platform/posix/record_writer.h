// Puts a complete .trashinfo record under a free name in a trash's info/ folder.
//
// The record is written first to an unnamed file (O_TMPFILE) and then linked in under its name,
// which fails when the name is taken, just as an O_EXCL create would. So a record is either
// there whole or not at all: a run killed at any moment, or a write that fails, never leaves a
// half-written record for other trash tools to stumble on. A file system without unnamed files
// gets the record created with O_EXCL and written in place instead.
#pragma once

#include <string>

namespace platform::posix {

class RecordWriter {
 public:
  RecordWriter(int info_fd, const std::string& content) : info_(info_fd), content_(content) {}
  ~RecordWriter();
  RecordWriter(const RecordWriter&) = delete;
  RecordWriter& operator=(const RecordWriter&) = delete;

  // 0 when the record now stands as record_name; EEXIST when that name is taken; else the
  // errno of the failure, with nothing left behind.
  int place(const std::string& record_name);

 private:
  int write_in_place(const std::string& record_name);

  int info_;
  const std::string& content_;
  bool prepared_ = false;
  int unnamed_ = -1;
  char unnamed_path_[40] = {};
};

}  // namespace platform::posix
