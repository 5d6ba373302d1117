// The DirectDraw entry points and interface identifiers.
#include <new>
#include <string>
#include <vector>

#include "platform/ddraw.h"
#include "platform/ddraw/ddraw_clipper.h"
#include "platform/ddraw/ddraw_object.h"
#include "platform/faults.h"
#include "platform/system.h"

const IID IID_IDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const IID IID_IDirectDrawSurface7 = {0x06675a80, 0x3b9b, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};
const IID IID_IDirectDrawClipper = {0x6C14DB85, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDrawPalette = {0x6C14DB84, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace {

constexpr char kPrimaryDescription[] = "Primary Display Driver";
constexpr char kPrimaryName[] = "display";

}  // namespace

HRESULT WINAPI DirectDrawEnumerateA(LPDDENUMCALLBACKA lpCallback, LPVOID lpContext) {
  if (const HRESULT fault = platform::TakeFault("DirectDrawEnumerateA")) return fault;
  if (!lpCallback) return DDERR_INVALIDPARAMS;
  // The callback gets writable copies (the signature says LPSTR) and may do
  // anything meanwhile, even change the back end's list, so walk a copy.
  // Without a back end only the primary display is listed (and creating it
  // fails with DDERR_NODIRECTDRAWHW).
  std::vector<platform::DriverInfo> drivers;
  if (platform::HasBackend()) drivers = platform::CurrentBackend().ExtraDrivers();
  std::string description = kPrimaryDescription;
  std::string name = kPrimaryName;
  if (!lpCallback(nullptr, description.data(), name.data(), lpContext)) return DD_OK;
  for (const platform::DriverInfo& driver : drivers) {
    GUID guid = driver.guid;
    description = driver.description;
    name = driver.name;
    if (!lpCallback(&guid, description.data(), name.data(), lpContext)) break;
  }
  return DD_OK;
}

HRESULT WINAPI DirectDrawCreateEx(GUID FAR* lpGUID, LPVOID* lplpDD, REFIID iid, IUnknown FAR* pUnkOuter) {
  if (lplpDD) *lplpDD = nullptr;
  if (const HRESULT fault = platform::TakeFault("DirectDrawCreateEx")) return fault;
  // Aggregation is refused with the one parameter error documented.
  if (!lplpDD || !(iid == IID_IDirectDraw7) || pUnkOuter) return DDERR_INVALIDPARAMS;
  if (!platform::HasBackend()) return DDERR_NODIRECTDRAWHW;
  platform::Backend& backend = platform::CurrentBackend();

  platform::DriverInfo driver;
  bool primary = true;
  if (lpGUID && lpGUID != DDCREATE_EMULATIONONLY && lpGUID != DDCREATE_HARDWAREONLY) {
    const platform::DriverInfo* found = nullptr;
    for (const platform::DriverInfo& extra : backend.ExtraDrivers())
      if (extra.guid == *lpGUID) {
        found = &extra;
        break;
      }
    if (!found) return DDERR_INVALIDDIRECTDRAWGUID;
    driver = *found;
    primary = false;
  } else {
    driver.description = kPrimaryDescription;
    driver.name = kPrimaryName;
    driver.hardware3D = backend.PrimaryHas3D();
  }
  auto* object = new (std::nothrow) platform::ddraw::DirectDraw(driver, primary);
  if (!object) return DDERR_OUTOFMEMORY;
  *lplpDD = static_cast<IDirectDraw7*>(object);
  return DD_OK;
}

HRESULT WINAPI DirectDrawCreateClipper(DWORD dwFlags, LPDIRECTDRAWCLIPPER FAR* lplpDDClipper,
                                       IUnknown FAR* pUnkOuter) {
  if (lplpDDClipper) *lplpDDClipper = nullptr;
  if (const HRESULT fault = platform::TakeFault("DirectDrawCreateClipper")) return fault;
  if (!lplpDDClipper || dwFlags != 0 || pUnkOuter) return DDERR_INVALIDPARAMS;
  auto* clipper = new (std::nothrow) platform::ddraw::Clipper(nullptr);
  if (!clipper) return DDERR_OUTOFMEMORY;
  *lplpDDClipper = clipper;
  return DD_OK;
}
