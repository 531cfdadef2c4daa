# The launcher's manifest comes from one template, vantrel.manifest.in: the
# build fills it for Vantrel.exe and VantrelUtf8.exe, vantrel-pack for each
# packaged application. Its fields: VANTREL_ASSEMBLY_NAME,
# VANTREL_MANIFEST_DESCRIPTION (XML-escaped) and VANTREL_ACTIVE_CODE_PAGE
# (empty, or VANTREL_UTF8_CODE_PAGE for runtimes of Java 18 and later).
set(VANTREL_MANIFEST_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/vantrel.manifest.in)
set(VANTREL_UTF8_CODE_PAGE "\n      <activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8</activeCodePage>")
