// The AccurateRip look-up before a verified rip, run off the user-interface thread: a small
// modal dialog with one line and Cancel that ends by itself once the database has answered.
#pragma once

#include "WorkDlg.h"

#include "app/verify/AccurateRipLookup.h"

#include <memory>

class CArLookupDlg : public CWorkDlg
{
    Q_OBJECT

public:
    CArLookupDlg(verify::AccurateRipDiscId disc, verify::ArLookupSettings settings,
                 QWidget* parent = nullptr);

    // Accepted once the look-up has answered; rejected when it was cancelled.
    const verify::ArLookupResult& result() const { return *result_; }

private:
    CArLookupDlg(std::shared_ptr<verify::ArLookupResult> result, verify::AccurateRipDiscId disc,
                 verify::ArLookupSettings settings, QWidget* parent);

    std::shared_ptr<verify::ArLookupResult> result_; // shared with the worker
};
