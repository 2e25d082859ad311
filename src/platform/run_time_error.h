// A run-time failure of the kind the page handlers trap and log as "number, description".
// Platform objects throw it for calls on missing objects or out-of-range items; the text
// helpers throw it for bad positions and unconvertible numbers.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class RunTimeError : public std::runtime_error {
 public:
  RunTimeError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int number() const { return number_; }
  std::string description() const { return what(); }

 private:
  int number_;
};

// The numbers of the file failures a save or an open reports.
inline constexpr int kDeviceIoError = 57;
inline constexpr int kFileExists = 58;  // the name is already taken
inline constexpr int kDiskFull = 61;
inline constexpr int kPathFileAccessError = 75;

// The failures the logic meets, with their classic numbers and texts.
inline RunTimeError invalidCall() { return {5, "Invalid procedure call or argument"}; }
inline RunTimeError overflow() { return {6, "Overflow"}; }
inline RunTimeError outOfMemory() { return {7, "Out of memory"}; }
inline RunTimeError subscriptOutOfRange() { return {9, "Subscript out of range"}; }
inline RunTimeError typeMismatch() { return {13, "Type mismatch"}; }
inline RunTimeError objectNotSet() {
  return {91, "Object variable or With block variable not set"};
}

}  // namespace platform
