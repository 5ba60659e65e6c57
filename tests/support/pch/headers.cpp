// Only the carrier of the precompiled headers that the test programs share.
