#pragma once
// Records of a CSV text as RFC 4180 writes them: cells separated by commas, records by
// CRLF or LF, a cell in double quotes may hold commas, line breaks and doubled quotes.
// A byte-order mark at the start is skipped. What people's files add is taken too:
// blanks around a cell are dropped (inside quotes they are kept), and blank lines and
// lines starting with '#' between records are skipped.

#include <string>
#include <string_view>
#include <vector>

namespace vendrel::cli {

struct CsvRecord {
  std::vector<std::string> cells;
  int line = 0;  ///< the line the record starts on, from 1
};

class CsvReader {
 public:
  explicit CsvReader(std::string_view text);

  /// Reads the next record into `record`. False at the end of the text, or, with
  /// `error` set and `record.line` the line of the fault, where the text is not CSV.
  bool Next(CsvRecord& record, std::string& error);

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  // A comma, a line ending or the end of the text: where an unquoted cell ends.
  bool AtCellEnd() const;
  // Skips a line ending (CRLF or LF) at pos_, if there is one.
  bool TakeLineEnd();
  void SkipBlanks();

  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace vendrel::cli
