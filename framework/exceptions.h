#pragma once
// The exception classes that the framework and the browsing controls raise. While the
// message loop runs they are swallowed by the application's handler; before it runs the
// start-up guard shows their message (see application.h).

#include <cstdint>
#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  // The message in the ANSI code page, as the error box shows it.
  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }
  // The exception's own class name, as the application's handler compares it.
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string message_;
};

// The silent exception: never shown, never passed to the handler.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  const char* ClassName() const override { return "EAbort"; }
};

// A failed change of directory or other I/O, carrying the system's error code.
class EInOutError : public Exception {
 public:
  explicit EInOutError(uint32_t errorCode);
  uint32_t ErrorCode() const { return errorCode_; }
  const char* ClassName() const override { return "EInOutError"; }

 private:
  uint32_t errorCode_;
};

// "リストのインデックスが範囲を超えています (%d)" with the index.
class EListError : public Exception {
 public:
  explicit EListError(int index);
  const char* ClassName() const override { return "EListError"; }
};

class EStringListError : public Exception {
 public:
  explicit EStringListError(int index);
  const char* ClassName() const override { return "EStringListError"; }
};

class EOutOfResources : public Exception {
 public:
  explicit EOutOfResources(std::string message) : Exception(std::move(message)) {}
  const char* ClassName() const override { return "EOutOfResources"; }
};

class EInvalidOperation : public Exception {
 public:
  explicit EInvalidOperation(std::string message) : Exception(std::move(message)) {}
  const char* ClassName() const override { return "EInvalidOperation"; }
};

// The message of an EInOutError for a system error code.
std::string InOutErrorMessage(uint32_t errorCode);
// "リストのインデックスが範囲を超えています (%d)" filled with index.
std::string ListIndexErrorMessage(int index);
