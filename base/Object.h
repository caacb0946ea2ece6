// Root of the framework's polymorphic objects: a virtual destructor, nothing
// else, as no part of the updater asks for run-time class information.
#pragma once

class CObject {
 public:
  CObject() = default;
  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;
  virtual ~CObject() = default;
};
