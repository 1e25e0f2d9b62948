#pragma once
// Progress and failure reports of the archive reader.

namespace stubframework::zip {

class ZipReporter {
 public:
  // Before each entry with its index and the number of entries, and once more with
  // (count, count) at the end.
  virtual void entryProgress(unsigned index, unsigned count) = 0;
  // A read or write of the archive moved fewer bytes than asked; code is the platform's error.
  virtual void ioFailure(unsigned long code) = 0;

 protected:
  ~ZipReporter() = default;
};

}  // namespace stubframework::zip
