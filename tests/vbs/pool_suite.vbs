' The browser pool's error paths as only a macro sees them, against the test
' runtime: Err for a destroyed browser, for an index never given, and for a
' forwarded member of a later release; names in any case.
Const E_FAIL = &H80004005
Dim pool, idx, v
Set pool = CreateObject("Corvane.BrowserPool")
idx = pool.CREATE(0, "", 0, 0, 800, 600)
CheckErr 0, "", "Create, named in capitals"
v = pool.getfaviconuri(idx)
CheckErr &H80004001, "FaviconUri (read) is not implemented yet.", "forwarded E_NOTIMPL"
pool.DestroyBrowser idx
v = pool.GetUrl(idx)
CheckErr E_FAIL, "", "GetUrl of a destroyed browser"
Check pool.GetLastError(idx) <> "", "GetLastError tells why: " & pool.GetLastError(idx)
pool.Navigate 99, "about:blank"
CheckErr &H80070057, "Invalid browser index. Use the value returned by Create().", "an index never given"
pool.Destroy idx
