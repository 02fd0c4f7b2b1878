// The .trashinfo record that lets any trash tool list and restore an item.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace platform::posix {

// Percent-escapes every byte outside A-Z a-z 0-9 - . _ ~ / as %XX, so any name (spaces, '%',
// '+', CR, non-ASCII) survives the record's line format exactly.
std::string escape_record_path(std::string_view path);

// Local time as YYYY-MM-DDThh:mm:ss.
std::string deletion_date(std::time_t when);

// The name of the entry in files/ that a record's file name stands for ("NAME.trashinfo" gives
// NAME); false for anything else found in info/.
bool item_of_record(std::string_view record_name, std::string_view* item);

// The whole record: "[Trash Info]", "Path=" and "DeletionDate=" lines.
std::string trash_info(std::string_view escaped_path, std::string_view date);

}  // namespace platform::posix
