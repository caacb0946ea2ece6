// One line of JSON per event, appended to the pilot's report file and flushed
// at once, so that the suite can follow the run while it goes on.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

std::string JsonString(const std::string& text);

class Record {
 public:
  explicit Record(const char* event);

  Record& Text(const char* key, const std::string& value);
  Record& Number(const char* key, long long value);
  Record& Flag(const char* key, bool value);
  Record& Texts(const char* key, const std::vector<std::string>& values);
  Record& Numbers(const char* key, const std::vector<long long>& values);
  Record& Raw(const char* key, const std::string& json);

  std::string Json() const { return body_ + "}"; }

 private:
  Record& Key(const char* key);

  std::string body_;
};

class ReportFile {
 public:
  explicit ReportFile(const std::string& path) : path_(path) {}

  // Appends one record as a line; gives false when the file cannot be written.
  bool Write(const Record& record) const;

 private:
  std::string path_;
};
