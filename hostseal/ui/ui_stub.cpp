// Provisional: the status log and the identity operation arrive with the window.
#include "hostseal/ui/identity_operation.hpp"
#include "hostseal/ui/status_log.hpp"

namespace hostseal {

void AddStatusLine(RichTextBox& StatusTxt, const std::u16string& sHead, const std::u16string& sMsg,
                   std::int32_t nKind) {
  if (!StatusTxt.Visible()) return;
  StatusTxt.SetFocus();
  StatusTxt.SetSelStart(static_cast<std::int32_t>(StatusTxt.Text().size()));
  if (nKind == 0) StatusTxt.SetSelColor(kGreen);
  if (nKind == 1 || nKind == 2) StatusTxt.SetSelColor(kRed);
  StatusTxt.SetSelBold(false);
  StatusTxt.SetSelText(sHead + sMsg + u"\r\n");
}

bool ReportHostIdentity(RichTextBox& StatusTxt, cRijndael& /*cipher*/) {
  AddStatusLine(StatusTxt, u"identity: ", u"not available yet", 1);
  return false;
}

}  // namespace hostseal
