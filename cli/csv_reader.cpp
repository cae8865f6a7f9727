#include "cli/csv_reader.h"

namespace vendrel::cli {
namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

CsvReader::CsvReader(std::string_view text) : text_(text) {
  if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
}

bool CsvReader::TakeLineEnd() {
  if (text_.compare(pos_, 2, "\r\n") == 0) {
    pos_ += 2;
  } else if (pos_ < text_.size() && text_[pos_] == '\n') {
    ++pos_;
  } else if (pos_ + 1 == text_.size() && text_[pos_] == '\r') {
    ++pos_;  // a lone CR ending the text
  } else {
    return false;
  }
  ++line_;
  return true;
}

bool CsvReader::AtCellEnd() const {
  if (AtEnd()) return true;
  const char c = text_[pos_];
  return c == ',' || c == '\n' || (c == '\r' && (pos_ + 1 == text_.size() || text_[pos_ + 1] == '\n'));
}

void CsvReader::SkipBlanks() {
  while (!AtEnd() && Blank(text_[pos_])) ++pos_;
}

bool CsvReader::Next(CsvRecord& record, std::string& error) {
  record.cells.clear();
  // Blank lines and comments between records.
  while (true) {
    const std::size_t start = pos_;
    SkipBlanks();
    if (AtEnd()) return false;
    if (text_[pos_] == '#') {
      while (!AtEnd() && !TakeLineEnd()) ++pos_;
      continue;
    }
    if (TakeLineEnd()) continue;
    pos_ = start;
    break;
  }
  record.line = line_;
  while (true) {
    SkipBlanks();
    std::string cell;
    if (!AtEnd() && text_[pos_] == '"') {
      const int opened = line_;
      ++pos_;
      while (true) {
        if (AtEnd()) {
          record.line = opened;
          error = "a quoted value is not closed";
          return false;
        }
        const char c = text_[pos_];
        if (c == '"') {
          if (text_.compare(pos_, 2, "\"\"") == 0) {
            cell += '"';
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        if (c == '\n') ++line_;
        cell += c;
        ++pos_;
      }
      SkipBlanks();
      if (!AtCellEnd()) {
        record.line = line_;
        error = "text after the closing quote of a quoted value";
        return false;
      }
    } else {
      const std::size_t from = pos_;
      while (!AtCellEnd()) ++pos_;
      std::size_t to = pos_;
      while (to > from && Blank(text_[to - 1])) --to;
      cell.assign(text_.substr(from, to - from));
    }
    record.cells.push_back(std::move(cell));
    if (!AtEnd() && text_[pos_] == ',') {
      ++pos_;
      continue;
    }
    TakeLineEnd();
    return true;
  }
}

}  // namespace vendrel::cli
