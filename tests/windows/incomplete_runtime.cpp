// A library in place of jvm.dll that lacks JNI_CreateJavaVM and, unless
// WITH_DEFAULT_ARGS is defined, JNI_GetDefaultJavaVMInitArgs too.
extern "C" {

__declspec(dllexport) int notTheRuntime() { return 0; }

#ifdef WITH_DEFAULT_ARGS
__declspec(dllexport) long __stdcall JNI_GetDefaultJavaVMInitArgs(void*) { return 0; }
#endif
}
