// The Windows side of GetCpu: the ProcessorId of every Win32_Processor that WMI lists
// (ROOT\CIMV2), in its order. COM is started for the call and stopped after it, so the query
// leaves the calling thread as it found it.
#include <windows.h>

#include <wbemidl.h>

#include <string>

#include "hostseal/common/utf8.hpp"
#include "hostseal/hostinfo/host_platform.hpp"

namespace hostseal::hostinfo_platform {
namespace {

// COM on this thread for one query. A thread already in another apartment keeps it and
// COM is used as it is; only a successful start is undone.
class ComSession {
 public:
  ComSession() : m_Result(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;
  ~ComSession() {
    if (SUCCEEDED(m_Result)) ::CoUninitialize();
  }
  bool Usable() const { return SUCCEEDED(m_Result) || m_Result == RPC_E_CHANGED_MODE; }

 private:
  HRESULT m_Result;
};

// Sole owner of one COM interface pointer.
template <typename T>
class ComPointer {
 public:
  ComPointer() = default;
  ComPointer(const ComPointer&) = delete;
  ComPointer& operator=(const ComPointer&) = delete;
  ~ComPointer() { Reset(); }
  T* operator->() const { return m_Pointer; }
  T* Get() const { return m_Pointer; }
  T** Out() {
    Reset();
    return &m_Pointer;
  }
  void Reset() {
    if (m_Pointer != nullptr) m_Pointer->Release();
    m_Pointer = nullptr;
  }

 private:
  T* m_Pointer = nullptr;
};

class Bstr {
 public:
  explicit Bstr(const wchar_t* text) : m_Text(::SysAllocString(text)) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { ::SysFreeString(m_Text); }
  BSTR Get() const { return m_Text; }

 private:
  BSTR m_Text;
};

class Variant {
 public:
  Variant() { ::VariantInit(&m_Value); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { ::VariantClear(&m_Value); }
  VARIANT* Out() {
    ::VariantClear(&m_Value);
    return &m_Value;
  }
  const VARIANT& Get() const { return m_Value; }

 private:
  VARIANT m_Value{};
};

std::optional<std::string> ProcessorIdOf(IWbemClassObject& processor) {
  Variant id;
  if (FAILED(processor.Get(L"ProcessorId", 0, id.Out(), nullptr, nullptr)) ||
      id.Get().vt != VT_BSTR || id.Get().bstrVal == nullptr) {
    return std::nullopt;
  }
  const std::wstring text(id.Get().bstrVal, ::SysStringLen(id.Get().bstrVal));
  return ToUtf8(std::u16string(text.begin(), text.end()));
}

}  // namespace

std::vector<std::optional<std::string>> ReadProcessorIds() {
  const ComSession com;
  if (!com.Usable()) return {};

  ComPointer<IWbemLocator> locator;
  if (FAILED(::CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(locator.Out())))) {
    return {};
  }
  ComPointer<IWbemServices> services;
  const Bstr nameSpace(L"ROOT\\CIMV2");
  if (FAILED(locator->ConnectServer(nameSpace.Get(), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                    services.Out()))) {
    return {};
  }
  // Calls through the proxy act as this user.
  if (FAILED(::CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                                 EOAC_NONE))) {
    return {};
  }
  ComPointer<IEnumWbemClassObject> processors;
  const Bstr language(L"WQL");
  const Bstr query(L"Select * from Win32_Processor");
  if (FAILED(services->ExecQuery(language.Get(), query.Get(),
                                 WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                 processors.Out()))) {
    return {};
  }
  std::vector<std::optional<std::string>> ids;
  for (;;) {
    ComPointer<IWbemClassObject> processor;
    ULONG returned = 0;
    const HRESULT next =
        processors->Next(static_cast<LONG>(WBEM_INFINITE), 1, processor.Out(), &returned);
    if (FAILED(next) || returned == 0) break;
    ids.push_back(ProcessorIdOf(*processor.Get()));
  }
  return ids;
}

}  // namespace hostseal::hostinfo_platform
