// Machine-dependent JNI types for 64-bit Windows (x86-64, LLP64).
//
// The JDK on the build machine supplies jni.h but its jni_md.h describes the
// build machine, so the Windows build uses this one. On Windows `long` is
// 32 bits wide, which is what jint must be; jlong is a 64-bit integer.
#ifndef VANTREL_JNI_MD_WIN64_H
#define VANTREL_JNI_MD_WIN64_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef __int64 jlong;
typedef signed char jbyte;

#endif
