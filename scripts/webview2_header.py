"""Reads the interfaces of our webview2.h for the generators that write code
from it: {name: (base, [(method, "parameter text"), ...])}."""
import re


def interfaces(header):
    header = re.sub(r"//[^\n]*", "", header)
    found = {}
    pattern = re.compile(r'WV2_INTERFACE\(\s*(\w+)\s*,\s*(\w+)\s*,\s*"[^"]+"\s*\)\s*\{(.*?)\n\};', re.S)
    for name, base, body in pattern.findall(header):
        methods = []
        for mname, params in re.findall(r"virtual\s+HRESULT\s+STDMETHODCALLTYPE\s+(\w+)\s*\((.*?)\)\s*=\s*0\s*;",
                                        body, re.S):
            methods.append((mname, " ".join(params.split())))
        found[name] = (base, methods)
    return found
