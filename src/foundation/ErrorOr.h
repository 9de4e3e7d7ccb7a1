// The one result type of fallible input and output: a value, or a message saying what went wrong.
//
//   zovo::ErrorOr<Scenario> loaded = zovo::loadScenario("demo.json");
//   if (!loaded) return report(loaded.error());          // "demo.json: events[2].at: not a number"
//   run(loaded.value());
//
//   zovo::ErrorOr<void> written = zovo::writePNG(image, "/tmp/x.png");
//   if (!written) std::cerr << written.error() << '\n';
//
//   return zovo::Error{path.string() + ": no such file"};   // how a function fails
//
//   zovo::ErrorOr<Scene> load(const fs::path& file)           // how a failure is passed up
//   {
//       std::string text = TRY(readWholeFile(file));          // the value, moved out, or return
//       TRY(checkScene(text));                                // the error of an ErrorOr<void> too
//       return Scene{std::move(text)};
//   }
//
// A fallible object is made by a factory that returns an ErrorOr (`static ErrorOr<...> create(...)`,
// or `open`, `start`), never by a constructor that keeps an error for later calls.
//
// The rule: reading and writing files, parsing what came from outside (scenarios, settings, options,
// images, property lists, JSON) and anything else that can fail because of its input returns an
// ErrorOr, whose message names the file, the key or the field and the problem. Exceptions are kept
// for broken programs: a message sent with a signature that does not match the method's encoding,
// an unrecognised selector, a precondition the caller broke. Nothing should catch those but a
// test that proves they are thrown. The platform classes throw std::invalid_argument and
// std::out_of_range where the phone's raise their invalid-argument and range exceptions (a nil
// key, an index past the end): those too are a caller's mistake, never a file's.
//
// Asking for the value of an error, or the error of a value, is such a broken precondition: it
// throws std::logic_error rather than read the wrong member.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace zovo {

// What went wrong, for a person to read.
struct Error {
    std::string message;
};

template <typename T>
class [[nodiscard]] ErrorOr {
public:
    ErrorOr(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    ErrorOr(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool hasValue() const { return state_.index() == 0; }
    explicit operator bool() const { return hasValue(); }

    T& value() & { return std::get<0>(checked(true)); }
    const T& value() const& { return std::get<0>(checked(true)); }
    T&& value() && { return std::get<0>(std::move(checked(true))); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const std::string& error() const { return std::get<1>(checked(false)).message; }

private:
    std::variant<T, Error>& checked(bool wantValue)
    {
        if (hasValue() != wantValue) throw std::logic_error(wantValue ? "ErrorOr: the value of an error was asked for" : "ErrorOr: the error of a value was asked for");
        return state_;
    }
    const std::variant<T, Error>& checked(bool wantValue) const { return const_cast<ErrorOr*>(this)->checked(wantValue); }

    std::variant<T, Error> state_;
};

// Success with nothing to hand back, or an error.
template <>
class [[nodiscard]] ErrorOr<void> {
public:
    ErrorOr() = default;
    ErrorOr(Error error) : error_(std::move(error.message)), failed_(true) {}

    bool hasValue() const { return !failed_; }
    explicit operator bool() const { return hasValue(); }

    const std::string& error() const
    {
        if (!failed_) throw std::logic_error("ErrorOr: the error of a success was asked for");
        return error_;
    }

private:
    std::string error_;
    bool failed_ = false;
};

namespace detail {

template <typename T>
T takeValue(ErrorOr<T>&& result)
{
    return std::move(result).value();
}
inline void takeValue(ErrorOr<void>&&) {}

} // namespace detail

} // namespace zovo

// Evaluates `expression`, an ErrorOr. On failure, returns its error from the enclosing function
// (which returns some ErrorOr, or anything made from an Error); otherwise the value, moved out (none
// for ErrorOr<void>). A GNU statement expression, which g++ and clang both accept; __extension__
// keeps -Wpedantic quiet about it.
#define TRY(expression)                                                          \
    __extension__({                                                              \
        auto&& zovoTryResult_ = (expression);                                    \
        if (!zovoTryResult_) return ::zovo::Error{zovoTryResult_.error()};       \
        ::zovo::detail::takeValue(std::move(zovoTryResult_));                    \
    })
