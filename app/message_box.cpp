#include "message_box.h"

namespace app {

int showMessage(const std::wstring& text, UINT flags) {
  return MessageBoxW(nullptr, text.c_str(), L"信息：", flags | MB_TASKMODAL);
}

}  // namespace app
