' The browser pool as a macro drives it, with no window of its own, against
' the test runtime: a blocking call at once after Create, the answers of a
' destroyed browser and the settings shared by every pool.
Const E_FAIL = &H80004005
Dim pool, idx, v
Set pool = CreateObject("Corvane.BrowserPool")
idx = pool.Create(0, "", 0, 0, 800, 600)
CheckErr 0, "", "Create"
Check idx = 1, "first index: " & idx
' No DoEvents in VBScript: the call waits for the browser being created.
pool.NavigateSync idx, "https://a.test/"
CheckErr 0, "", "NavigateSync right after Create"
v = pool.GetTitle(idx)
Check v = "https://a.test/", "GetTitle: " & v
v = pool.ExecuteScript(idx, "document.title")
CheckErr 0, "", "ExecuteScript"
Check v = "null", "ExecuteScript answer: " & v
Check pool.IsReady(idx) = True, "IsReady"
' A control member of a later release keeps its own answer through the pool.
v = pool.GetDefaultDownloadFolderPath(idx)
CheckErr &H80004001, "DefaultDownloadFolderPath (read) is not implemented yet.", "forwarded E_NOTIMPL"

pool.DestroyBrowser idx
Check pool.IsValidIndex(idx) = True, "the index stays after DestroyBrowser"
Check pool.IsValidHandle(idx) = False, "the browser does not"
Check pool.IsReady(idx) = False, "IsReady of a destroyed browser"
v = pool.GetUrl(idx)
CheckErr E_FAIL, "", "GetUrl of a destroyed browser"
pool.Destroy idx
Check pool.GetBrowserCount() = 0, "GetBrowserCount after Destroy: " & pool.GetBrowserCount()

Dim other
Set other = CreateObject("Corvane.BrowserPool")
pool.EnableHardwareAcceleration = False
Check other.EnableHardwareAcceleration = False, "acceleration off, seen by the other pool"
pool.EnableHardwareAcceleration = True
Check other.enablehardwareacceleration = True, "acceleration back on, seen by the other pool"
Check pool.JsonCreateObject(0) = "{}", "JsonCreateObject needs no browser"
