// TStrList: an ordered, growable list of texts (duplicates kept). The Windows
// binaries link no C++ library code, so this stands in for a vector of strings.
#pragma once
#include "base/str.h"

class TStrList {
public:
  TStrList() {}
  TStrList(const TStrList& o);
  TStrList& operator=(const TStrList& o);
  ~TStrList();

  void Add(const TStr& s);
  int Count() const { return count_; }
  const TStr& operator[](int i) const { return items_[i]; }
  void Set(int i, const TStr& s) { items_[i] = s; }
  void Clear();

private:
  TStr* items_ = nullptr;
  int count_ = 0;
  int cap_ = 0;
};
