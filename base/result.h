#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

// How every layer below the programs reports a failure (regfile, settings,
// the platform helpers and the programs' cores): a Result that holds either
// what was asked for or the one Error.
//
// A result rather than an exception: these failures are ordinary outcomes
// that each caller has to look at (a damaged file, a store that is not the
// user's, a lock that a window holds), the signature says that one may
// come, [[nodiscard]] keeps a caller from passing it by, and the window
// must never let an exception cross Qt's event loop. The command-line
// programs turn an Error into their one-line message and exit status.

struct Error {
    std::string message; // one line in English, UTF-8; never quotes a secret
    int line = 0;        // the line of a file that it concerns, from 1; 0 for none
};

template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const Error& error() const { return std::get<1>(state_); }

private:
    std::variant<T, Error> state_;
};

// A step that gives nothing but may fail.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}

    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *error_; }

private:
    std::optional<Error> error_;
};
