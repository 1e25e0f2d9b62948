#include "core/property_store.h"

#include "core/text.h"

namespace stubframework::core {

void PropertyStore::set(const std::wstring& name, const std::wstring& value) {
  std::lock_guard guard(lock_);
  values_[name] = value;
}

std::wstring PropertyStore::get(const std::wstring& name) {
  std::lock_guard guard(lock_);
  return values_[name];
}

std::vector<std::pair<std::wstring, std::wstring>> PropertyStore::snapshot() const {
  std::lock_guard guard(lock_);
  return {values_.begin(), values_.end()};
}

void PropertyStore::setCounter(const std::wstring& name, uint32_t value) { set(name, std::to_wstring(value)); }

int32_t PropertyStore::getCounter(const std::wstring& name) { return utils::ParseDecimalInt32(get(name)); }

}  // namespace stubframework::core
