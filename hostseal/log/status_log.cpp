// AddStatusLine: one coloured line at the end of the status log.
#include "hostseal/log/status_log.hpp"

namespace hostseal {

void AddStatusLine(RichTextBox& StatusTxt, const std::u16string& sHead, const std::u16string& sMsg,
                   std::int32_t nKind) {
  const std::u16string line = sHead + sMsg;
  if (!StatusTxt.Visible()) return;  // a hidden log drops the line
  StatusTxt.SetFocus();
  // Colour and weight are set on the empty selection at the end, so the inserted text takes
  // them; any other kind keeps the colour that the end of the box already has.
  StatusTxt.SetSelStart(StatusTxt.TextLength());
  if (nKind == 0) {
    StatusTxt.SetSelColor(kGreen);
  } else if (nKind == 1 || nKind == 2) {
    StatusTxt.SetSelColor(kRed);
  }
  StatusTxt.SetSelBold(false);
  StatusTxt.SetSelText(line + u"\r\n");
}

}  // namespace hostseal
