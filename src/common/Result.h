// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "common/Error.h"

#include <QtGlobal>

#include <optional>
#include <utility>
#include <variant>

/**
 * What a file or picture operation gives back: its value, or the Error that stopped it.
 * Tested with ok() or in a condition; value() and error() only for the side it holds.
 */
template <typename T = void> class [[nodiscard]] Result
{
public:
    Result(T value) : mState(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : mState(std::in_place_index<1>, error) {}

    bool ok() const { return mState.index() == 0; }
    explicit operator bool() const { return ok(); }

    Error error() const
    {
        Q_ASSERT(!ok());
        return std::get<1>(mState);
    }

    const T &value() const & { return std::get<0>(mState); }
    T &value() & { return std::get<0>(mState); }
    T &&value() && { return std::get<0>(std::move(mState)); }
    const T &operator*() const & { return value(); }
    T &operator*() & { return value(); }
    T &&operator*() && { return std::move(*this).value(); }
    const T *operator->() const { return &value(); }
    T *operator->() { return &value(); }

private:
    std::variant<T, Error> mState;
};

/** The same for operations that give back nothing but whether they worked. */
template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Error error) : mError(error) {}

    bool ok() const { return !mError; }
    explicit operator bool() const { return ok(); }

    Error error() const
    {
        Q_ASSERT(!ok());
        return *mError;
    }

private:
    std::optional<Error> mError;
};
