#include "base/str_list.h"

#include <new>
#include <stdlib.h>

TStrList::TStrList(const TStrList& o) { *this = o; }

TStrList& TStrList::operator=(const TStrList& o) {
  if (this == &o) return *this;
  Clear();
  for (int i = 0; i < o.count_; ++i) Add(o.items_[i]);
  return *this;
}

TStrList::~TStrList() { Clear(); free(items_); }

void TStrList::Add(const TStr& s) {
  if (count_ == cap_) {
    int cap = cap_ ? cap_ * 2 : 8;
    // Moved by hand: TStr owns only a heap pointer, so moving it into new
    // storage and forgetting the old slot is safe.
    TStr* grown = static_cast<TStr*>(malloc(sizeof(TStr) * cap));
    if (!grown) abort();
    for (int i = 0; i < count_; ++i) {
      new (&grown[i]) TStr(static_cast<TStr&&>(items_[i]));
      items_[i].~TStr();
    }
    free(items_);
    items_ = grown;
    cap_ = cap;
  }
  new (&items_[count_]) TStr(s);
  ++count_;
}

void TStrList::Clear() {
  for (int i = 0; i < count_; ++i) items_[i].~TStr();
  count_ = 0;
}
