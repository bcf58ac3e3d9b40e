// Office documents through the shell's preview handlers: the handler chosen
// for a file's extension, the site it talks to, and two ways of showing it.
//  - The container: one process-wide child window ("PreviewContainer") that
//    owns one preview; showing another replaces it, whichever control asks.
//  - The viewer's preview: OpenDocument's own, drawn into a child window of
//    class "CorvanePreviewContainer" or straight into the given window.
// Everything runs on the host's thread.
#pragma once

#include <windows.h>

#include <string>

namespace Corvane {

// The handler class for an extension given with its dot: the extension's
// shellex entry, else its ProgID's, else a table of the usual Office, image
// and PDF handlers; E_FAIL when none is known.
HRESULT GetPreviewHandlerCLSID(const std::wstring& extension, CLSID* clsid);

// Replaces the container with a new one at `rect` in `parent` showing `path`.
// False (and no container left) when the parent is no window, the rectangle
// is missing or the preview fails; `failure` then holds the reason.
bool ShowPreviewInContainer(const std::wstring& path, HWND parent, const RECT* rect, HRESULT* failure = nullptr);

// Replaces the viewer's preview. With a rectangle of positive size the
// preview gets a child window there, else it draws into `parent` itself.
bool ShowViewerPreview(const std::wstring& path, HWND parent, const RECT* rect, HRESULT* failure = nullptr);

// Unloads and removes both previews.
void ClosePreview();

// The window `parent` was resized: previews that fill it follow.
void FitPreviewsTo(HWND parent, int width, int height);

// `window` is being destroyed: the viewer's preview inside it goes too (the
// container goes by itself with its window).
void ClosePreviewsIn(HWND window);

}  // namespace Corvane
