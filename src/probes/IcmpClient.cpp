#include "probes/IcmpClient.h"

namespace {
std::function<std::unique_ptr<IcmpClient>()>& testFactory() {
    static std::function<std::unique_ptr<IcmpClient>()> factory;
    return factory;
}
} // namespace

IcmpClient::~IcmpClient() = default;

std::unique_ptr<IcmpClient> IcmpClient::create() {
    if (testFactory())
        return testFactory()();
    return createPlatformClient();
}

void IcmpClient::setFactoryForTesting(std::function<std::unique_ptr<IcmpClient>()> factory) {
    testFactory() = std::move(factory);
}
