// SPDX-FileCopyrightText: The Vivrel developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCheckBox>

/**
 * A check box with the three values 0 (clear), 1 (checked) and 2 (grayed).
 * The user's click only toggles between clear and checked; grayed is set by code.
 * valueChanged() fires whenever the value changes, by the user or by setValue(), since
 * the program reacts to a changed option the same way whoever changed it.
 */
class TriCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit TriCheckBox(const QString &text, QWidget *parent = nullptr);

    int value() const;
    /** Sets 0, 1 or 2; returns false (and changes nothing) for any other value. */
    bool setValue(int value);

signals:
    /** The value changed. */
    void valueChanged(int value);

protected:
    void nextCheckState() override;
};
