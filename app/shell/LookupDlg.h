// The look-up of a disc, run off the user-interface thread: a small modal dialog with one line
// and Cancel that ends by itself once every source has answered.
#pragma once

#include "WorkDlg.h"

#include "app/lookup/DiscLookup.h"

#include <memory>
#include <optional>

class CLookupDlg : public CWorkDlg
{
    Q_OBJECT

public:
    // The disc's CD-Text, when it has any, answers after the network sources.
    CLookupDlg(lookup::DiscQuery query, lookup::LookupSettings settings,
               std::optional<lookup::DiscMetadata> cdText = std::nullopt,
               QWidget* parent = nullptr);

    // Accepted once the look-up has answered; rejected when it was cancelled.
    const lookup::SourceResult& result() const { return *result_; }

private:
    CLookupDlg(std::shared_ptr<lookup::SourceResult> result, lookup::DiscQuery query,
               lookup::LookupSettings settings, std::optional<lookup::DiscMetadata> cdText,
               QWidget* parent);

    std::shared_ptr<lookup::SourceResult> result_; // shared with the worker
};
