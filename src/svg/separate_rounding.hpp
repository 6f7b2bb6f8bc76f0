#pragma once
// Coordinates are compared to the last digit, so every product is rounded on
// its own before it is added: a fused multiply-add would round once and give
// other digits on machines that have one. Include this after all other
// headers of a file that computes coordinates; it affects the rest of the file.
#if defined(__clang__)
#pragma STDC FP_CONTRACT OFF
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif
