// Resource IDs of Vantorel.exe.
#pragma once
#define IDI_VANTOREL 1
