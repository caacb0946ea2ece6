#include "Record.h"

std::string JsonString(const std::string& text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7f) {
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

Record::Record(const char* event) : body_("{\"event\":" + JsonString(event)) {}

Record& Record::Key(const char* key) {
  body_ += "," + JsonString(key) + ":";
  return *this;
}

Record& Record::Text(const char* key, const std::string& value) {
  Key(key).body_ += JsonString(value);
  return *this;
}

Record& Record::Number(const char* key, long long value) {
  Key(key).body_ += std::to_string(value);
  return *this;
}

Record& Record::Flag(const char* key, bool value) {
  Key(key).body_ += value ? "true" : "false";
  return *this;
}

Record& Record::Texts(const char* key, const std::vector<std::string>& values) {
  std::string list;
  for (const std::string& value : values) list += (list.empty() ? "" : ",") + JsonString(value);
  return Raw(key, "[" + list + "]");
}

Record& Record::Numbers(const char* key, const std::vector<long long>& values) {
  std::string list;
  for (long long value : values) list += (list.empty() ? "" : ",") + std::to_string(value);
  return Raw(key, "[" + list + "]");
}

Record& Record::Raw(const char* key, const std::string& json) {
  Key(key).body_ += json;
  return *this;
}

bool ReportFile::Write(const Record& record) const {
  std::FILE* file = std::fopen(path_.c_str(), "ab");
  if (!file) return false;
  const std::string line = record.Json() + "\n";
  const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  return std::fclose(file) == 0 && written;
}
