// The test preview handler: corvane_test_preview.dll, an in-process COM server
// of one class that answers IPreviewHandler, IInitializeWithFile,
// IInitializeWithStream, IObjectWithSite and IOleWindow, draws a coloured
// child window into the window it is given, and writes one log line per call
// it receives. A test loads the same DLL path that the class is registered
// with, so the control's handler and the test share one log.
//
// Log lines: "SetSite(window=<hwnd>,frame=<hr>,service=<hr>)" for a site (its
// IOleWindow's window, GetWindowContext's and QueryService's results),
// "SetSite(null)", "InitializeWithFile(<path>,<mode>)",
// "InitializeWithStream(<the file's first line>)", "SetWindow(<hwnd>,l,t,r,b)",
// "SetRect(l,t,r,b)", "DoPreview()", "SetFocus()", "Unload()", "Released()".
#pragma once

#include <windows.h>

// {6A3C2F10-4B1E-4D8A-9C51-7E0D3B2A9F01}
inline constexpr wchar_t kTestPreviewClsid[] = L"{6A3C2F10-4B1E-4D8A-9C51-7E0D3B2A9F01}";
inline constexpr wchar_t kTestPreviewWindowClass[] = L"CorvaneTestPreview";

// Steps that can be made to fail with a chosen HRESULT.
enum class PreviewStep { None, Create, Initialize, SetWindow, SetRect, DoPreview };

// Clears the log; `fail` fails with `hr` from now on; `streamOnly` refuses
// IInitializeWithFile so the stream path is taken.
using TestPreviewResetFn = void(__stdcall*)(PreviewStep fail, HRESULT hr, BOOL streamOnly);
// The log so far, lines separated by '\n'; valid until the next call.
using TestPreviewLogFn = const wchar_t*(__stdcall*)();
