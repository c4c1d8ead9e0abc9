// PlaceInRing, for any way of putting a name in upper case.
namespace vorlund {

template <typename Upper>
RingPlace PlaceInRing(const PilotRing& ring, std::string_view computer, Upper upper) {
    const std::string self = upper(computer);
    RingPlace place;
    place.bucket = RingBucket(self);
    for (const std::string& name : ring.names) {
        const std::string host = name.substr(0, name.find('.'));
        if (upper(name) == self || upper(host) == self) {
            place.in = place.named = true;
            return place;
        }
    }
    place.in = place.bucket < ring.percent;
    return place;
}

} // namespace vorlund
