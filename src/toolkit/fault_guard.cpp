#include "toolkit/fault_guard.h"

// The compiler has no __try/__except, so the guarded call is a small function of its own written
// in assembly, whose unwind data names the C runtime's __C_specific_handler with one scope: the
// call of `body`, with the filter below and the landing point `.Lqtk_fault`. That is exactly the
// data a compiled __try/__except produces, so the system's dispatcher finds it in its search,
// asks the filter, unwinds the frames in between (running their own termination handlers) and
// resumes at the landing point. Nothing is jumped over by hand. The filter leaves the code in the
// guard's own frame slot (32 bytes above its frame, past the callee's home area), since not every
// system hands it over in eax.

extern "C" LONG qtk_fault_filter(EXCEPTION_POINTERS* pointers, void* frame) {
  const DWORD code = pointers->ExceptionRecord->ExceptionCode;
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
      *reinterpret_cast<DWORD*>(static_cast<char*>(frame) + 32) = code;
      return EXCEPTION_EXECUTE_HANDLER;
    default:
      // A stack overflow is not recoverable here, C++ throws belong to their own unwinder, and
      // debugger notices are continued where they were raised.
      return EXCEPTION_CONTINUE_SEARCH;
  }
}

#if defined(__x86_64__)
// DWORD qtk_call_catching_faults(void (*body)(void*) [rcx], void* context [rdx])
asm(R"(
    .text
    .p2align 4
    .globl qtk_call_catching_faults
    .def qtk_call_catching_faults; .scl 2; .type 32; .endef
    .seh_proc qtk_call_catching_faults
qtk_call_catching_faults:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %rcx, %rax
    movq %rdx, %rcx
.Lqtk_guard_begin:
    call *%rax
    nop
.Lqtk_guard_end:
    xorl %eax, %eax
    addq $40, %rsp
    ret
.Lqtk_fault:
    movl 32(%rsp), %eax
    addq $40, %rsp
    ret
    .seh_handler __C_specific_handler, @except
    .seh_handlerdata
    .long 1
    .rva .Lqtk_guard_begin, .Lqtk_guard_end, qtk_fault_filter, .Lqtk_fault
    .text
    .seh_endproc
)");

extern "C" DWORD qtk_call_catching_faults(void (*body)(void*), void* context);

namespace qtk {
DWORD CallCatchingFaults(void (*body)(void*), void* context) noexcept {
  return qtk_call_catching_faults(body, context);
}
}  // namespace qtk
#else
#error "the fault guard is written for x86-64"
#endif
