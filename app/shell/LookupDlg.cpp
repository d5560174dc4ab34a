#include "LookupDlg.h"

CLookupDlg::CLookupDlg(lookup::DiscQuery query, lookup::LookupSettings settings,
                       std::optional<lookup::DiscMetadata> cdText, QWidget* parent)
    : CLookupDlg(std::make_shared<lookup::SourceResult>(), std::move(query), std::move(settings),
                 std::move(cdText), parent)
{
}

CLookupDlg::CLookupDlg(std::shared_ptr<lookup::SourceResult> result, lookup::DiscQuery query,
                       lookup::LookupSettings settings, std::optional<lookup::DiscMetadata> cdText,
                       QWidget* parent)
    : CWorkDlg(
          QStringLiteral("Look up disc information"), QStringLiteral("Looking the disc up..."),
          [result, query = std::move(query), settings = std::move(settings),
           cdText = std::move(cdText)](const std::atomic<bool>* cancel) {
              *result =
                  lookup::LookUpDisc(query, settings, cancel, nullptr, cdText ? &*cdText : nullptr);
          },
          parent),
      result_(std::move(result))
{
}
