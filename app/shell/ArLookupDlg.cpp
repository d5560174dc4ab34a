#include "ArLookupDlg.h"

CArLookupDlg::CArLookupDlg(verify::AccurateRipDiscId disc, verify::ArLookupSettings settings,
                           QWidget* parent)
    : CArLookupDlg(std::make_shared<verify::ArLookupResult>(), disc, std::move(settings), parent)
{
}

CArLookupDlg::CArLookupDlg(std::shared_ptr<verify::ArLookupResult> result,
                           verify::AccurateRipDiscId disc, verify::ArLookupSettings settings,
                           QWidget* parent)
    : CWorkDlg(
          QStringLiteral("Verify with AccurateRip"),
          QStringLiteral("Looking the disc up in AccurateRip..."),
          [result, disc, settings = std::move(settings)](const std::atomic<bool>* cancel) {
              *result = verify::LookUpAccurateRip(disc, settings, cancel);
          },
          parent),
      result_(std::move(result))
{
}
