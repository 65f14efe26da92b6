/* A stand-in for the system's d3d11.dll, loaded through a DLL override in the
 * end-to-end runs of the graphics path (gpu_e2e.sh), in two builds:
 *  - plain: D3D11CreateDevice fails, as on a system without a usable card;
 *  - with -DLOST_AFTER_FRAMES=N: devices come from Wine's own Direct3D 11 (a
 *    copy named d3d11real.dll in the same folder), and each reports itself
 *    removed (DXGI_ERROR_DEVICE_REMOVED, as after a driver reset) once it has
 *    been asked N times, which the saver does once per presented frame.
 * Every device created is noted in the file named by TOLVARIN_D3D11_LOG. */
#define COBJMACROS
#define CINTERFACE
#include <windows.h>

#include <d3d11.h>
#include <stdio.h>

static void Note(const char* line) {
  char path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("TOLVARIN_D3D11_LOG", path, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    FILE* log = fopen(path, "a");
    if (log) {
      fputs(line, log);
      fclose(log);
    }
  }
}

#ifndef LOST_AFTER_FRAMES

__declspec(dllexport) HRESULT WINAPI D3D11CreateDevice(IDXGIAdapter* adapter, D3D_DRIVER_TYPE type, HMODULE software,
                                                       UINT flags, const D3D_FEATURE_LEVEL* levels, UINT count,
                                                       UINT version, ID3D11Device** device, D3D_FEATURE_LEVEL* level,
                                                       ID3D11DeviceContext** context) {
  (void)adapter, (void)type, (void)software, (void)flags, (void)levels, (void)count, (void)version;
  if (device) *device = NULL;
  if (context) *context = NULL;
  if (level) *level = 0;
  Note("refused\n");
  return DXGI_ERROR_UNSUPPORTED;
}

#else

static ID3D11DeviceVtbl patched;
static HRESULT(STDMETHODCALLTYPE* realRemovedReason)(ID3D11Device*);
static LONG asked;

static HRESULT STDMETHODCALLTYPE RemovedAfterFrames(ID3D11Device* device) {
  if (InterlockedIncrement(&asked) > LOST_AFTER_FRAMES) return DXGI_ERROR_DEVICE_REMOVED;
  return realRemovedReason(device);
}

__declspec(dllexport) HRESULT WINAPI D3D11CreateDevice(IDXGIAdapter* adapter, D3D_DRIVER_TYPE type, HMODULE software,
                                                       UINT flags, const D3D_FEATURE_LEVEL* levels, UINT count,
                                                       UINT version, ID3D11Device** device, D3D_FEATURE_LEVEL* level,
                                                       ID3D11DeviceContext** context) {
  HMODULE real = LoadLibraryW(L"d3d11real.dll");
  PFN_D3D11_CREATE_DEVICE create =
      real ? (PFN_D3D11_CREATE_DEVICE)(void*)GetProcAddress(real, "D3D11CreateDevice") : NULL;
  if (!create) {
    Note("no d3d11real.dll\n");
    return E_FAIL;
  }
  const HRESULT hr = create(adapter, type, software, flags, levels, count, version, device, level, context);
  if (SUCCEEDED(hr) && device && *device) {
    /* The device's own table with one entry replaced. */
    patched = *(*device)->lpVtbl;
    realRemovedReason = patched.GetDeviceRemovedReason;
    patched.GetDeviceRemovedReason = RemovedAfterFrames;
    (*device)->lpVtbl = &patched;
    Note("created\n");
  }
  return hr;
}

#endif
