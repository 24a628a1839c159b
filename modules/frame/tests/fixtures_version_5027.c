/* A library stamped with version 5.0.2.7. */
__attribute__((section(".varnex_version"), used, aligned(8)))
static const unsigned short stamp[4] = { 5, 0, 2, 7 };

int version_fixture_marker(void)
{
    return 5027;
}
