#pragma once

/// The card maker's PCI subsystem vendor id (low 16 bits of the subsystem id).
/// The card list and the high-performance preset recognise the maker's cards by it.
constexpr unsigned MakerSubsystemVendorId = 0x1D17;
